// Question and message boxes and modal dialogs, behind one interface so that
// tests answer them instead of a user. The program installs the real boxes;
// a test installs its own answers with ScopedPrompts.
#pragma once

#include <QString>

class QDialog;
class QWidget;

namespace corvane::platform {

class Prompts {
  public:
    virtual ~Prompts() = default;
    // Question icon; Yes is the default button.
    virtual bool AskYesNo(const QString& text, const QString& title) = 0;
    // Question icon; No is the default button.
    virtual bool AskYesNoDefaultNo(const QString& text, const QString& title) = 0;
    // Information icon, title "Information", one OK button.
    virtual void ShowInformation(const QString& text) = 0;
    // Error icon, one OK button; prompts without their own error box show
    // it as information.
    virtual void ShowError(const QString& text) { ShowInformation(text); }
    virtual void Beep() = 0;
    // Shows the dialog modally; returns its result (QDialog::Accepted or Rejected).
    virtual int Run(QDialog& dialog) = 0;
};

// The boxes of the desktop, parented to the active window.
class DesktopPrompts : public Prompts {
  public:
    bool AskYesNo(const QString& text, const QString& title) override;
    bool AskYesNoDefaultNo(const QString& text, const QString& title) override;
    void ShowInformation(const QString& text) override;
    void ShowError(const QString& text) override;
    void Beep() override;
    int Run(QDialog& dialog) override;
};

// The prompts in use; DesktopPrompts unless replaced.
Prompts& CurrentPrompts();

// Replaces the prompts for its lifetime.
class ScopedPrompts {
  public:
    explicit ScopedPrompts(Prompts& prompts);
    ~ScopedPrompts();
    ScopedPrompts(const ScopedPrompts&) = delete;
    ScopedPrompts& operator=(const ScopedPrompts&) = delete;

  private:
    Prompts* previous_;
};

// Stored texts use "\r" for a line break; shown texts use "\n".
QString WithLineBreaks(const QString& stored);

}  // namespace corvane::platform
