// One opened document as a sequence of fax pages, rendered one at a time.
// Opening and rendering throw DocumentError with a message for the user.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <stdexcept>

#include "faximage/raster.h"

namespace corvane::intake {

class DocumentError : public std::runtime_error {
  public:
    explicit DocumentError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& Message() const { return message_; }

  private:
    QString message_;
};

struct FaxPage {
    faximage::Raster raster;  // 1728 (or, for a kept fax, 2048) pixels wide
    bool fine = true;
};

class DocumentPages {
  public:
    virtual ~DocumentPages() = default;
    virtual int Count() const = 0;
    // Pages are asked for in order, each once.
    virtual FaxPage Render(int index) = 0;
};

// Called with pages done and the page count before every page and once at
// the end; (0, 0) while a document is still being prepared. Returns false
// to cancel.
using ProgressHandler = std::function<bool(int done, int total)>;

// The document's name as messages show it.
QString ShownName(const QString& path);

}  // namespace corvane::intake
