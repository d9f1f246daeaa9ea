// GetOpenFileNameA / GetSaveFileNameA on Qt's own (non-native) file dialog, so they look
// and behave the same on every desktop and headless.
//
// The must-exist rules and the overwrite question are ours rather than Qt's: Qt checks
// neither the folder of a new name nor a missing file without a blocking box of its own,
// and the same rules (common/file_dialog_choice.cpp) serve the tests' scripted answers. Refusals
// and the question are shown window-modal over the dialog, which stays up for another choice, as on
// Win32.
#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>

#include <cstring>

#include "platform/common/file_dialog_choice.h"
#include "platform/linux/qt/qt_file_chooser.h"
#include "platform/linux/qt/qt_internal.h"
#include "platform/linux/seam_points.h"

namespace {

thread_local DWORD t_extendedError = 0;

struct Pair {
    std::string display;
    std::string patterns;
};

std::vector<Pair> FilterPairs(const std::vector<std::string>& items)
{
    std::vector<Pair> pairs;
    for (size_t i = 0; i + 1 < items.size(); i += 2) {
        pairs.push_back({items[i], items[i + 1]});
    }
    return pairs;
}

// A Win32 pattern list ("*.tmp;*.dat") as Qt's space-separated one. "*.*" takes every name
// on Win32, with or without a dot; Qt would want a dot. (Qt's file list already matches
// without regard to case, as Win32 does.)
QString QtPatterns(const std::string& patterns)
{
    QStringList out;
    const QStringList parts = QString::fromUtf8(patterns.c_str()).split(u';', Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        const QString pattern = part.trimmed();
        if (pattern.isEmpty()) {
            continue;
        }
        out << (pattern == QStringLiteral("*.*") ? QStringLiteral("*") : pattern);
    }
    if (out.isEmpty()) {
        out << QStringLiteral("*");
    }
    return out.join(u' ');
}

QPointer<qtplat::FileChooser> g_current;

} // namespace

namespace qtplat {

FileChooser::FileChooser(QWidget* parent, DWORD flags, DWORD maxFile,
                         std::vector<std::string>* refusals)
    : QFileDialog(parent), flags_(flags), maxFile_(maxFile), refusals_(refusals)
{
}

void FileChooser::WatchReturn()
{
    if (auto* edit = NameField()) {
        edit->installEventFilter(this);
        if (edit->completer() != nullptr) {
            edit->completer()->popup()->installEventFilter(this);
        }
    }
}

void FileChooser::accept()
{
    if (message_ != nullptr) {
        return; // the user answers the box over the dialog first
    }
    const std::string path = ChosenPath();
    if (path.empty()) {
        return;
    }
    if (filechoice::IsDirectory(path)) {
        setDirectory(QFile::decodeName(path.c_str())); // opens the folder
        NameField()->clear();
        return;
    }
    const std::string refusal = filechoice::Refusal(path, flags_, maxFile_);
    if (!refusal.empty()) {
        refusals_->push_back(refusal);
        Show(QMessageBox::Warning, refusal, QMessageBox::Ok, false);
        return;
    }
    if (filechoice::MustAskToReplace(path, flags_, acceptMode() == AcceptSave)) {
        Show(QMessageBox::Warning, filechoice::ReplaceQuestion(path),
             QMessageBox::Yes | QMessageBox::No, true);
        return;
    }
    Take(path);
}

bool FileChooser::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress) {
        return QFileDialog::eventFilter(watched, event);
    }
    const int key = static_cast<QKeyEvent*>(event)->key();
    QLineEdit* edit = NameField();
    QAbstractItemView* list =
        edit != nullptr && edit->completer() != nullptr ? edit->completer()->popup() : nullptr;
    if ((key != Qt::Key_Return && key != Qt::Key_Enter) || (watched != edit && watched != list)) {
        return QFileDialog::eventFilter(watched, event);
    }
    if (list != nullptr && list->isVisible()) {
        if (list->currentIndex().isValid()) {
            return false; // a completion the user picked: the list puts it in the field
        }
        list->hide();
    }
    accept();
    return true;
}

QLineEdit* FileChooser::NameField() const
{
    return findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

// The one name this dialog takes: the name field as typed, in the folder shown, or the
// folder itself when the field is empty. Qt would read a '"' in the field as quoting a
// list of names, but a double quote is an ordinary character of a name here.
std::string FileChooser::ChosenPath() const
{
    const QString typed = NameField() != nullptr ? NameField()->text() : QString();
    const std::string folder = QFile::encodeName(directory().absolutePath()).toStdString();
    if (typed.isEmpty()) {
        return folder;
    }
    std::string name = QFile::encodeName(typed).toStdString();
    if (name.size() >= 2 && name[0] == '~' && name[1] == '/' &&
        !filechoice::Exists(filechoice::Join(folder, name))) {
        name = QFile::encodeName(QDir::homePath()).toStdString() + name.substr(1);
    }
    return filechoice::Join(folder, name);
}

void FileChooser::Take(const std::string& path)
{
    chosen_ = path;
    QDialog::accept();
}

void FileChooser::Show(QMessageBox::Icon icon, const std::string& text,
                       QMessageBox::StandardButtons buttons, bool question)
{
    auto* box =
        new QMessageBox(icon, windowTitle(), QString::fromUtf8(text.c_str()), buttons, this);
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    if (question) {
        box->setDefaultButton(QMessageBox::No);
    }
    message_ = box;
    // Window-modal over the file dialog, without a loop of its own: the dialog's loop
    // goes on delivering posted messages meanwhile.
    const std::string chosen = ChosenPath();
    QObject::connect(box, &QMessageBox::finished, this,
                     [this, box, question, text, chosen](int code) {
                         if (message_ == box) {
                             message_ = nullptr;
                         }
                         if (question) {
                             if (code == QMessageBox::Yes) {
                                 Take(chosen);
                             } else {
                                 refusals_->push_back(text);
                             }
                         }
                     });
    box->open();
}

FileChooser* CurrentFileChooser()
{
    return g_current.data();
}

} // namespace qtplat

namespace {

using qtplat::FileChooser;

BOOL AskForReal(OPENFILENAMEA* ofn, FileDialogRecord& record, bool save, QWidget* owner,
                DWORD* error)
{
    std::string directory;
    std::string name;
    filechoice::StartPlace(record, &directory, &name);
    const std::vector<Pair> pairs = FilterPairs(record.filter);

    FileChooser dialog(owner, record.flags, record.maxFile, &record.refusals);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setWindowTitle(ofn->lpstrTitle != nullptr ? QString::fromUtf8(ofn->lpstrTitle)
                          : save                     ? QStringLiteral("Save As")
                                                     : QStringLiteral("Open"));
    dialog.setWindowModality(owner != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
    QStringList nameFilters;
    for (const Pair& pair : pairs) {
        // Qt reads the patterns from the last bracket and, hiding it, shows the rest: the
        // pair's own display text.
        nameFilters << QString::fromUtf8(pair.display.c_str()) + QStringLiteral(" (") +
                           QtPatterns(pair.patterns) + u')';
    }
    if (!nameFilters.isEmpty()) {
        dialog.setNameFilters(nameFilters);
    }
    // The pair first: in a save dialog, selecting a pair gives the typed name the pair's
    // extension, which must not touch the proposed name.
    const DWORD entryPair = filechoice::EntryPair(record.filterIndex, pairs.size());
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    if (entryPair != 0 && types != nullptr) {
        types->setCurrentIndex(static_cast<int>(entryPair) - 1);
        emit types->activated(static_cast<int>(entryPair) - 1);
    } else if (entryPair != 0) {
        dialog.selectNameFilter(nameFilters.at(static_cast<int>(entryPair) - 1));
    }
    dialog.setDirectory(QFile::decodeName(directory.c_str()));
    if (!name.empty()) {
        dialog.selectFile(QFile::decodeName(name.c_str()));
    }

    FileDialogLoopStarting(&dialog);
    dialog.WatchReturn();
    g_current = &dialog;
    // exec() runs a loop that also delivers posted messages (the GUI queue's notifier).
    const int result = dialog.exec();
    g_current = nullptr;
    if (result != QDialog::Accepted || dialog.chosen().empty()) {
        *error = 0;
        return FALSE;
    }
    DWORD chosenPair = entryPair;
    if (types != nullptr && types->currentIndex() >= 0 && !pairs.empty()) {
        chosenPair = static_cast<DWORD>(types->currentIndex()) + 1;
    } else {
        const int at = static_cast<int>(nameFilters.indexOf(dialog.selectedNameFilter()));
        if (at >= 0) {
            chosenPair = static_cast<DWORD>(at) + 1;
        }
    }
    record.chosen = dialog.chosen();
    return filechoice::Deliver(ofn, record.chosen, chosenPair, error);
}

BOOL RunFileDialog(OPENFILENAMEA* ofn, bool save, DWORD* error)
{
    qtplat::WindowRef owner;
    if (ofn->hwndOwner != nullptr) {
        owner = qtplat::FindWindow(ofn->hwndOwner);
        if (!owner) {
            *error = CDERR_DIALOGFAILURE;
            return FALSE;
        }
        if (owner->kind != qtplat::Kind::Dialog) {
            owner = qtplat::LookupWindow(owner->dialog);
        }
    }
    FileDialogRecord record = filechoice::RecordOf(*ofn, save);
    // Logged when it appears, so dialogs and boxes raised while it is up come after it.
    const size_t entry = FileDialogLogOpen(record);

    const bool ownerWasEnabled = owner && owner->enabled;
    if (owner) {
        owner->enabled = false;
    }
    BOOL result = FALSE;
    const bool scripted = FileDialogScriptAnswer(ofn, &record, save, &result, error);
    if (!scripted && qtplat::SessionEnding()) {
        *error = 0; // the session ends: cancelled
    } else if (!scripted) {
        result = AskForReal(ofn, record, save, owner ? owner->widget.data() : nullptr, error);
    }
    if (owner && !owner->destroyed && ownerWasEnabled) {
        owner->enabled = true;
    }
    record.result = result;
    record.error = *error;
    if (!result) {
        record.chosen.clear();
    }
    FileDialogLogClose(entry, std::move(record));
    return result;
}

BOOL FileDialog(const char* name, LPOPENFILENAMEA ofn, bool save)
{
    DWORD code = 0;
    if (FaultShouldFail(name, &code)) {
        t_extendedError = code;
        return FALSE;
    }
    if (ofn == nullptr || (ofn->lStructSize != OPENFILENAME_SIZE_VERSION_400A &&
                           ofn->lStructSize != sizeof(OPENFILENAMEA))) {
        t_extendedError = CDERR_STRUCTSIZE;
        return FALSE;
    }
    if (ofn->lpstrFile == nullptr || ofn->nMaxFile == 0) {
        t_extendedError = CDERR_INITIALIZATION;
        return FALSE;
    }
    BOOL result = FALSE;
    DWORD error = 0;
    qtplat::RunOnGui([&] { result = RunFileDialog(ofn, save, &error); });
    t_extendedError = error;
    return result;
}

} // namespace

BOOL GetOpenFileNameA(LPOPENFILENAMEA record)
{
    return FileDialog("GetOpenFileNameA", record, false);
}

BOOL GetSaveFileNameA(LPOPENFILENAMEA record)
{
    return FileDialog("GetSaveFileNameA", record, true);
}

DWORD CommDlgExtendedError()
{
    return t_extendedError;
}
