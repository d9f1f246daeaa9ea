// Qt's file dialog with the common dialog's refusals and question, shown window-modal over it.
#pragma once

#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>

#include <string>
#include <vector>

#include "platform/win32.h"

class QLineEdit;

namespace qtplat {

class FileChooser final : public QFileDialog {
  public:
    FileChooser(QWidget* parent, DWORD flags, DWORD maxFile, std::vector<std::string>* refusals);

    // Return in the name field, or in the completion list below it, acts on what is typed.
    // Qt's own field keeps Return while the completion list is shown, and that list comes up
    // when the folder has been read: a path typed before then was ignored.
    void WatchReturn();
    void accept() override;

    // The refusal or question shown over the dialog, or null.
    QMessageBox* message() const { return message_; }
    const std::string& chosen() const { return chosen_; }
    QLineEdit* NameField() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::string ChosenPath() const;
    void Take(const std::string& path);
    void Show(QMessageBox::Icon icon, const std::string& text, QMessageBox::StandardButtons buttons,
              bool question);

    DWORD flags_;
    DWORD maxFile_;
    std::vector<std::string>* refusals_;
    std::string chosen_;
    QPointer<QMessageBox> message_;
};

// The file dialog up now (GUI thread), or null.
FileChooser* CurrentFileChooser();

} // namespace qtplat
