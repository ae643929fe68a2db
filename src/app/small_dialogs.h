// The notes editor of a received fax ("Received Fax Notes") and the delete
// choice for a fax with both a cover and a body ("Delete Fax").
#pragma once

#include <QDialog>

class QButtonGroup;
class QLabel;
class QLineEdit;

namespace corvane::app {

class EditReceiveNotes : public QDialog {
    Q_OBJECT
  public:
    explicit EditReceiveNotes(QWidget* parent = nullptr);

    QLabel* Descript;
    QLineEdit* Notes;
};

class DeleteWhat : public QDialog {
    Q_OBJECT
  public:
    enum Choice { DeleteCover = 0, DeleteBody = 1, DeleteBoth = 2 };

    explicit DeleteWhat(QWidget* parent = nullptr);
    int Choice() const;
    void SetChoice(int choice);

  private:
    QButtonGroup* WhatToDelete;
};

}  // namespace corvane::app
