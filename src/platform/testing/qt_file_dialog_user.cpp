// The user's actions on the Qt flavour's real file dialog, and what it shows.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QSignalBlocker>

#include <algorithm>
#include <optional>

#include "platform/linux/qt/qt_file_chooser.h"
#include "platform/linux/qt/qt_internal.h"
#include "platform/testing/seams.h"

using qtplat::FileChooser;

FileDialogView FileDialogShown()
{
    FileDialogView view;
    qtplat::RunOnGui([&] {
        FileChooser* dialog = qtplat::CurrentFileChooser();
        if (dialog == nullptr || !dialog->isVisible()) {
            return;
        }
        view.up = true;
        view.save = dialog->acceptMode() == QFileDialog::AcceptSave;
        view.modalToOwner =
            dialog->windowModality() == Qt::WindowModal && dialog->parentWidget() != nullptr;
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        if (types != nullptr) {
            for (int row = 0; row < types->count(); ++row) {
                view.filters.push_back(types->itemText(row).toStdString());
            }
            view.selectedFilter = types->currentIndex();
        }
        view.directory = QFile::encodeName(dialog->directory().absolutePath()).toStdString();
        if (auto* edit = dialog->NameField()) {
            view.fileName = QFile::encodeName(edit->text()).toStdString();
        }
        if (auto* list = dialog->findChild<QListView*>(QStringLiteral("listView"))) {
            QAbstractItemModel* model = list->model();
            const QModelIndex root = list->rootIndex();
            if (model != nullptr) {
                for (int row = 0; row < model->rowCount(root); ++row) {
                    const QModelIndex index = model->index(row, 0, root);
                    const QString path =
                        dialog->directory().absoluteFilePath(index.data().toString());
                    if (!QFileInfo(path).isDir()) {
                        view.listedFiles.push_back(
                            QFile::encodeName(index.data().toString()).toStdString());
                    }
                }
            }
            std::sort(view.listedFiles.begin(), view.listedFiles.end());
        }
        if (QMessageBox* box = dialog->message()) {
            view.message = box->text().toStdString();
        }
    });
    return view;
}

void FileDialogUserPickFilter(int row)
{
    qtplat::RunOnGui([&] {
        FileChooser* dialog = qtplat::CurrentFileChooser();
        if (dialog == nullptr || dialog->message() != nullptr) {
            return;
        }
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        if (types == nullptr || row < 0 || row >= types->count()) {
            return;
        }
        types->setCurrentIndex(row);
        emit types->activated(row);
        emit types->textActivated(types->itemText(row));
    });
}

void FileDialogUserType(const char* text)
{
    qtplat::RunOnGui([&] {
        FileChooser* dialog = qtplat::CurrentFileChooser();
        if (dialog == nullptr || dialog->message() != nullptr) {
            return;
        }
        if (auto* edit = dialog->NameField()) {
            // Typing drops the names picked in the list, and the field keeps what is typed
            // while the name is looked up in the list; Qt does so only while the field has the
            // keyboard focus, which an unseen (offscreen) window never gets.
            auto* list = dialog->findChild<QListView*>(QStringLiteral("listView"));
            std::optional<QSignalBlocker> keepTyped;
            if (list != nullptr && list->selectionModel() != nullptr) {
                list->selectionModel()->clearSelection();
                keepTyped.emplace(list->selectionModel());
            }
            edit->selectAll();
            edit->insert(QFile::decodeName(text != nullptr ? text : ""));
        }
    });
}

namespace {
void ClickDialogButton(QDialogButtonBox::ButtonRole role)
{
    FileChooser* dialog = qtplat::CurrentFileChooser();
    // A dialog already ended (hidden, its loop not yet returned) takes no more clicks.
    if (dialog == nullptr || dialog->message() != nullptr || !dialog->isVisible()) {
        return;
    }
    auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    if (buttons == nullptr) {
        return;
    }
    for (QAbstractButton* button : buttons->buttons()) {
        if (buttons->buttonRole(button) == role && button->isEnabled()) {
            button->click();
            return;
        }
    }
}
} // namespace

void FileDialogUserAccept()
{
    qtplat::RunOnGui([] { ClickDialogButton(QDialogButtonBox::AcceptRole); });
}

void FileDialogUserPressReturn()
{
    qtplat::RunOnGui([] {
        FileChooser* dialog = qtplat::CurrentFileChooser();
        if (dialog == nullptr || dialog->message() != nullptr) {
            return;
        }
        auto* edit = dialog->NameField();
        if (edit == nullptr) {
            return;
        }
        // To the completion list when it is shown, which then has the keyboard.
        QWidget* target = edit;
        if (edit->completer() != nullptr && edit->completer()->popup()->isVisible()) {
            target = edit->completer()->popup();
        }
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
    });
}

void FileDialogUserCancel()
{
    qtplat::RunOnGui([] { ClickDialogButton(QDialogButtonBox::RejectRole); });
}

void FileDialogUserAnswer(bool yes)
{
    qtplat::RunOnGui([&] {
        FileChooser* dialog = qtplat::CurrentFileChooser();
        QMessageBox* box = dialog != nullptr ? dialog->message() : nullptr;
        if (box == nullptr) {
            return;
        }
        QAbstractButton* button = box->button(yes ? QMessageBox::Yes : QMessageBox::No);
        if (button == nullptr) {
            button = box->button(QMessageBox::Ok);
        }
        if (button != nullptr) {
            button->click();
        }
    });
}
