// A program directory of its own per test, prompts answered from a script,
// and small helpers to build rows and fax files.
#pragma once

#include <QDialog>
#include <QString>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/profile.h"
#include "app/program_directory.h"
#include "faximage/apf_file.h"
#include "platform/prompts.h"
#include "tables/table.h"

namespace corvane::testing {

// Answers questions in order (Yes when the script runs out is a test
// failure); dialogs are handed to a handler that fills and ends them.
class ScriptedPrompts : public platform::Prompts {
  public:
    std::deque<bool> answers;
    std::vector<QString> questions;
    std::vector<QString> informations;
    std::vector<QString> errors;
    int beeps = 0;
    std::function<int(QDialog&)> dialogHandler;
    std::vector<QString> dialogs;  // object names, in the order shown

    bool AskYesNo(const QString& text, const QString& title) override {
        return Answer(text, title);
    }
    bool AskYesNoDefaultNo(const QString& text, const QString& title) override {
        return Answer(text, title);
    }
    void ShowInformation(const QString& text) override { informations.push_back(text); }
    void ShowError(const QString& text) override { errors.push_back(text); }
    void Beep() override { ++beeps; }
    int Run(QDialog& dialog) override {
        dialogs.push_back(dialog.objectName());
        if (!dialogHandler) {
            ADD_FAILURE() << "unexpected dialog " << dialog.objectName().toStdString();
            return QDialog::Rejected;
        }
        return dialogHandler(dialog);
    }

  private:
    bool Answer(const QString& text, const QString& title) {
        questions.push_back(title + ": " + text);
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question " << text.toStdString();
            return false;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

class ProgramDirectoryFixture : public ::testing::Test {
  protected:
    ProgramDirectoryFixture() : scoped_(prompts) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "corvane-gui-XXXXXX").string();
        home_ = ::mkdtemp(pattern.data());
        home_ += '/';
        app::SetProgramDirectory(home_);
        MarkPortChosen();
        configHome_ = home_ + "config";
        ::setenv("XDG_CONFIG_HOME", configHome_.c_str(), 1);
    }
    ~ProgramDirectoryFixture() override { std::filesystem::remove_all(home_); }

    const std::string& home() const { return home_; }
    // A port was chosen once, so the first activation opens no
    // Preferences; a first run is tested by removing "CV.INI".
    void MarkPortChosen() const {
        app::Profile(app::SettingsPath()).WriteInteger("Modem", "ComPort", 0);
    }
    bool Exists(const std::string& path) const { return std::filesystem::exists(path); }
    void WriteFile(const std::string& path, const std::string& content) const {
        std::ofstream(path, std::ios::binary) << content;
    }
    // A fax file with no pages: enough for every check made on it here.
    void WriteFaxFile(const std::string& path) const {
        const auto header = faximage::EncodeFileHeader(faximage::NewFileHeader());
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(header.data()), header.size());
    }

    ScriptedPrompts prompts;

  private:
    platform::ScopedPrompts scoped_;
    std::string home_;
    std::string configHome_;
};

}  // namespace corvane::testing
