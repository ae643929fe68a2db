// "Rebuild Indexes": packs the three tables and makes their index tags
// again, showing what it does in a label and the engine's progress in a
// gauge. The work runs once, on the first showing, then the dialog closes.
#pragma once

#include <QDialog>
#include <string>

#include "tables/table.h"

class QLabel;
class QProgressBar;

namespace corvane::app {

class RebuildInd : public QDialog {
    Q_OBJECT
  public:
    // The outgoing and received handles are the main window's open ones;
    // spare is the main window's unopened phone book handle.
    RebuildInd(tables::Table& outgoing, tables::Table& received, tables::Table& spare,
               QWidget* parent = nullptr);

    // The work; true when all three tables were rebuilt. Runs at most once.
    bool Work();
    const QString& Error() const { return error_; }

    QProgressBar* Gauge1;
    QLabel* WhatAmIDoing;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    tables::Table& outgoing_;
    tables::Table& received_;
    tables::Table& spare_;
    bool started_ = false;
    QString error_;
};

}  // namespace corvane::app
