#include "rebuild_indexes.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>
#include <stdexcept>

#include "program_directory.h"
#include "tables/table_rebuild.h"

namespace corvane::app {

RebuildInd::RebuildInd(tables::Table& outgoing, tables::Table& received, tables::Table& spare,
                       QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      outgoing_(outgoing),
      received_(received),
      spare_(spare) {
    setObjectName(QStringLiteral("RebuildInd"));
    setWindowTitle(QStringLiteral("Rebuild Indexes"));
    Gauge1 = new QProgressBar(this);
    Gauge1->setObjectName(QStringLiteral("Gauge1"));
    Gauge1->setRange(0, 100);
    Gauge1->setValue(0);
    Gauge1->hide();
    WhatAmIDoing = new QLabel(this);
    WhatAmIDoing->setObjectName(QStringLiteral("WhatAmIDoing"));
    WhatAmIDoing->setMinimumWidth(360);
    WhatAmIDoing->hide();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(WhatAmIDoing);
    layout->addWidget(Gauge1);
}

void RebuildInd::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // After the window is on screen, so the labels paint while it works.
    if (!started_)
        QTimer::singleShot(0, this, [this] {
            if (Work())
                accept();
        });
}

bool RebuildInd::Work() {
    if (started_)
        return false;  // an activation during the work must not start it again
    started_ = true;
    Gauge1->show();
    WhatAmIDoing->clear();
    WhatAmIDoing->show();
    tables::RebuildObserver observer;
    observer.label = [this](const std::string& label) {
        WhatAmIDoing->setText(QString::fromStdString(label));
        QApplication::processEvents();
    };
    observer.gauge = [this](int percent) {
        Gauge1->setValue(std::clamp(percent, 0, 100));
        QApplication::processEvents();
    };
    try {
        tables::RebuildFaxTables(outgoing_, received_, spare_, ProgramDirectory(), observer);
    } catch (const std::exception& error) {
        // The tables stay as the error left them; the dialog stays open with
        // the reason so the user sees why and can close it.
        error_ = QString::fromStdString(error.what());
        WhatAmIDoing->setText(QStringLiteral("Rebuild stopped: ") + error_);
        setWindowFlag(Qt::WindowCloseButtonHint, true);
        show();
        return false;
    }
    return true;
}

}  // namespace corvane::app
