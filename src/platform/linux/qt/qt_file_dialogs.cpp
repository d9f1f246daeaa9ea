// GetOpenFileNameA / GetSaveFileNameA on Qt's own (non-native) file dialog, so they look
// and behave the same on every desktop and headless; the testing library's build adds the
// test script, the log and the user's actions on a real dialog.
//
// The must-exist rules and the overwrite question are ours rather than Qt's: Qt checks
// neither the folder of a new name nor a missing file without a blocking box of its own,
// and the same rules then serve the scripted answers. Refusals and the question are shown
// window-modal over the dialog, which stays up for another choice, as on Win32.
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <optional>

#include "platform/linux/qt/file_dialog_record.h"
#include "platform/linux/qt/qt_internal.h"
#include "platform/linux/seam_points.h"

namespace {

constexpr DWORD CdErrStructSize = 0x0001;
constexpr DWORD CdErrInitialization = 0x0002;

thread_local DWORD t_extendedError = 0;

#ifdef SALVORIN_SEAMS
// GUI thread only: the calls are carried there from any other thread.
std::vector<FileDialogRecord> g_log;
std::deque<FileDialogAnswer> g_script;
bool g_scripted = false;
int g_unscripted = 0;
std::function<void()> g_nextAction;
#endif

struct Pair {
    std::string display;
    std::string patterns;
};

std::vector<std::string> FilterItems(LPCSTR filter)
{
    std::vector<std::string> items;
    if (filter == nullptr) {
        return items;
    }
    // The list ends at the first empty item (two NULs in a row).
    for (const char* item = filter; *item != '\0'; item += std::strlen(item) + 1) {
        items.emplace_back(item);
    }
    return items;
}

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

bool IsDirectory(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool Exists(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

std::string CurrentDirectory()
{
    return QFile::encodeName(QDir::currentPath()).toStdString();
}

std::string ParentOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string Join(const std::string& directory, const std::string& name)
{
    if (!name.empty() && name[0] == '/') {
        return name;
    }
    if (directory.empty() || directory.back() == '/') {
        return directory + name;
    }
    return directory + "/" + name;
}

// Where the dialog starts and what its name field shows: a path in the proposed name
// wins over the initial directory; without either, the current directory.
void StartPlace(const FileDialogRecord& record, std::string* directory, std::string* name)
{
    std::string base = record.initialDir;
    if (base.empty() || !IsDirectory(base)) {
        base = CurrentDirectory();
    }
    const size_t slash = record.file.find_last_of('/');
    if (slash == std::string::npos) {
        *directory = base;
        *name = record.file;
        return;
    }
    const std::string folder = Join(base, slash == 0 ? "/" : record.file.substr(0, slash));
    *directory = IsDirectory(folder) ? folder : base;
    *name = record.file.substr(slash + 1);
}

std::string LastPart(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Longest name a folder here takes, in bytes.
constexpr size_t NameMax = 255;

// Why the dialog refuses `path`, or "" when it takes it. A path that does not fit the
// caller's buffer is refused here, so the user can choose again, rather than failing the
// call after the dialog has closed.
std::string Refusal(const std::string& path, DWORD flags, DWORD maxFile)
{
    if (path.size() >= maxFile || LastPart(path).size() > NameMax) {
        return LastPart(path).substr(0, 40) + "...\nThe path is too long: at most " +
               std::to_string(maxFile - 1) + " bytes.\nChoose a shorter name or folder.";
    }
    if ((flags & (OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST)) != 0 && !IsDirectory(ParentOf(path))) {
        return LastPart(path) + "\nPath does not exist.\nCheck the path and try again.";
    }
    if ((flags & OFN_FILEMUSTEXIST) != 0 && !Exists(path)) {
        return LastPart(path) + "\nFile not found.\nCheck the file name and try again.";
    }
    return {};
}

bool MustAskToReplace(const std::string& path, DWORD flags, bool save)
{
    return save && (flags & OFN_OVERWRITEPROMPT) != 0 && Exists(path);
}

std::string ReplaceQuestion(const std::string& path)
{
    return LastPart(path) + " already exists.\nDo you want to replace it?";
}

// The chosen path into the caller's record, with Win32's rules for a buffer too small.
BOOL Deliver(OPENFILENAMEA* ofn, const std::string& path, DWORD filterIndex, DWORD* error)
{
    if (path.size() >= ofn->nMaxFile) {
        // Win32 puts the size needed into the buffer's first two bytes.
        if (ofn->nMaxFile >= 2) {
            const size_t needed = std::min<size_t>(path.size() + 1, 0xFFFF);
            ofn->lpstrFile[0] = static_cast<char>(needed & 0xFF);
            ofn->lpstrFile[1] = static_cast<char>((needed >> 8) & 0xFF);
        }
        *error = FNERR_BUFFERTOOSMALL;
        return FALSE;
    }
    std::memcpy(ofn->lpstrFile, path.c_str(), path.size() + 1);
    const size_t slash = path.find_last_of('/');
    const size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = path.find_last_of('.');
    ofn->nFileOffset = static_cast<WORD>(nameAt);
    if (dot == std::string::npos || dot < nameAt) {
        ofn->nFileExtension = static_cast<WORD>(path.size());
    } else {
        ofn->nFileExtension = static_cast<WORD>(dot + 1 == path.size() ? 0 : dot + 1);
    }
    ofn->nFilterIndex = filterIndex;
    *error = 0;
    return TRUE;
}

DWORD EntryPair(DWORD filterIndex, size_t pairs)
{
    if (filterIndex == 0 || filterIndex > pairs) {
        return pairs == 0 ? 0 : 1;
    }
    return filterIndex;
}

#ifdef SALVORIN_SEAMS
BOOL AnswerFromScript(OPENFILENAMEA* ofn, FileDialogRecord& record, bool save, DWORD* error)
{
    std::string directory;
    std::string name;
    StartPlace(record, &directory, &name);
    const size_t pairs = FilterPairs(record.filter).size();
    for (;;) {
        if (g_script.empty()) {
            ++g_unscripted;
            *error = 0;
            return FALSE;
        }
        FileDialogAnswer answer = std::move(g_script.front());
        g_script.pop_front();
        if (answer.before) {
            answer.before();
        }
        if (!answer.choose) {
            *error = 0;
            return FALSE;
        }
        const std::string path = Join(directory, answer.path);
        if (IsDirectory(path)) {
            // Choosing a folder opens it; the next answer is given there.
            directory = path;
            record.refusals.push_back("opened folder " + path);
            continue;
        }
        std::string refusal = Refusal(path, record.flags, record.maxFile);
        if (refusal.empty() && MustAskToReplace(path, record.flags, save)) {
            if (!answer.replace) {
                refusal = ReplaceQuestion(path);
            }
        }
        if (!refusal.empty()) {
            record.refusals.push_back(refusal);
            continue;
        }
        const DWORD pair =
            answer.filterIndex != 0 ? answer.filterIndex : EntryPair(record.filterIndex, pairs);
        record.chosen = path;
        return Deliver(ofn, path, pair, error);
    }
}
#endif

// Qt's file dialog with our refusals and question.
class FileChooser final : public QFileDialog {
  public:
    FileChooser(QWidget* parent, DWORD flags, DWORD maxFile, std::vector<std::string>* refusals)
        : QFileDialog(parent), flags_(flags), maxFile_(maxFile), refusals_(refusals)
    {
    }

    // Return in the name field, or in the completion list below it, acts on what is typed.
    // Qt's own field keeps Return while the completion list is shown, and that list comes up
    // when the folder has been read: a path typed before then was ignored.
    void WatchReturn()
    {
        if (auto* edit = NameField()) {
            edit->installEventFilter(this);
            if (edit->completer() != nullptr) {
                edit->completer()->popup()->installEventFilter(this);
            }
        }
    }

    void accept() override
    {
        if (message_ != nullptr) {
            return; // the user answers the box over the dialog first
        }
        const std::string path = ChosenPath();
        if (path.empty()) {
            return;
        }
        if (IsDirectory(path)) {
            setDirectory(QFile::decodeName(path.c_str())); // opens the folder
            NameField()->clear();
            return;
        }
        const std::string refusal = Refusal(path, flags_, maxFile_);
        if (!refusal.empty()) {
            refusals_->push_back(refusal);
            Show(QMessageBox::Warning, refusal, QMessageBox::Ok, false);
            return;
        }
        if (MustAskToReplace(path, flags_, acceptMode() == AcceptSave)) {
            Show(QMessageBox::Warning, ReplaceQuestion(path), QMessageBox::Yes | QMessageBox::No,
                 true);
            return;
        }
        Take(path);
    }

    QMessageBox* message() const { return message_; }
    const std::string& chosen() const { return chosen_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress) {
            return QFileDialog::eventFilter(watched, event);
        }
        const int key = static_cast<QKeyEvent*>(event)->key();
        QLineEdit* edit = NameField();
        QAbstractItemView* list =
            edit != nullptr && edit->completer() != nullptr ? edit->completer()->popup() : nullptr;
        if ((key != Qt::Key_Return && key != Qt::Key_Enter) ||
            (watched != edit && watched != list)) {
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

  private:
    QLineEdit* NameField() const { return findChild<QLineEdit*>(QStringLiteral("fileNameEdit")); }

    // The one name this dialog takes: the name field as typed, in the folder shown, or the
    // folder itself when the field is empty. Qt would read a '"' in the field as quoting a
    // list of names, but a double quote is an ordinary character of a name here.
    std::string ChosenPath() const
    {
        const QString typed = NameField() != nullptr ? NameField()->text() : QString();
        const std::string folder = QFile::encodeName(directory().absolutePath()).toStdString();
        if (typed.isEmpty()) {
            return folder;
        }
        std::string name = QFile::encodeName(typed).toStdString();
        if (name.size() >= 2 && name[0] == '~' && name[1] == '/' && !Exists(Join(folder, name))) {
            name = QFile::encodeName(QDir::homePath()).toStdString() + name.substr(1);
        }
        return Join(folder, name);
    }

    void Take(const std::string& path)
    {
        chosen_ = path;
        QDialog::accept();
    }

  private:
    void Show(QMessageBox::Icon icon, const std::string& text, QMessageBox::StandardButtons buttons,
              bool question)
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

    DWORD flags_;
    DWORD maxFile_;
    std::vector<std::string>* refusals_;
    std::string chosen_;
    QPointer<QMessageBox> message_;
};

QPointer<FileChooser> g_current;

BOOL AskForReal(OPENFILENAMEA* ofn, FileDialogRecord& record, bool save, QWidget* owner,
                DWORD* error)
{
    std::string directory;
    std::string name;
    StartPlace(record, &directory, &name);
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
    const DWORD entryPair = EntryPair(record.filterIndex, pairs.size());
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

#ifdef SALVORIN_SEAMS
    if (g_nextAction) {
        std::function<void()> action = std::move(g_nextAction);
        g_nextAction = nullptr;
        QTimer::singleShot(0, &dialog, [action] { action(); });
    }
#endif
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
    return Deliver(ofn, record.chosen, chosenPair, error);
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
    FileDialogRecord record;
    record.call = save ? FileDialogCall::Save : FileDialogCall::Open;
    record.owner = ofn->hwndOwner;
    record.filter = FilterItems(ofn->lpstrFilter);
    record.filterIndex = ofn->nFilterIndex;
    record.initialDir = ofn->lpstrInitialDir != nullptr ? ofn->lpstrInitialDir : "";
    record.file.assign(ofn->lpstrFile, strnlen(ofn->lpstrFile, ofn->nMaxFile));
    record.flags = ofn->Flags;
    record.maxFile = ofn->nMaxFile;
#ifdef SALVORIN_SEAMS
    // Logged when it appears, so dialogs and boxes raised while it is up come after it.
    const size_t entry = g_log.size();
    g_log.push_back(record);
#endif

    const bool ownerWasEnabled = owner && owner->enabled;
    if (owner) {
        owner->enabled = false;
    }
    BOOL result = FALSE;
#ifdef SALVORIN_SEAMS
    if (g_scripted) {
        result = AnswerFromScript(ofn, record, save, error);
    } else
#endif
        if (qtplat::SessionEnding()) {
        *error = 0; // the session ends: cancelled
    } else {
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
#ifdef SALVORIN_SEAMS
    g_log[entry] = std::move(record);
#endif
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
        t_extendedError = CdErrStructSize;
        return FALSE;
    }
    if (ofn->lpstrFile == nullptr || ofn->nMaxFile == 0) {
        t_extendedError = CdErrInitialization;
        return FALSE;
    }
    BOOL result = FALSE;
    DWORD error = 0;
    qtplat::RunOnGui([&] { result = RunFileDialog(ofn, save, &error); });
    t_extendedError = error;
    return result;
}

#ifdef SALVORIN_SEAMS
FileChooser* Current()
{
    return g_current.data();
}

QString ItemName(QComboBox* box, int row)
{
    return box != nullptr ? box->itemText(row) : QString();
}

#endif
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

#ifdef SALVORIN_SEAMS
void FileDialogScriptSet(std::vector<FileDialogAnswer> answers)
{
    qtplat::RunOnGui([&] {
        g_script.assign(std::make_move_iterator(answers.begin()),
                        std::make_move_iterator(answers.end()));
        g_scripted = true;
        g_unscripted = 0;
    });
}

void FileDialogScriptClear()
{
    qtplat::RunOnGui([] {
        g_script.clear();
        g_scripted = false;
    });
}

const std::vector<FileDialogRecord>& FileDialogLog()
{
    return g_log;
}

void FileDialogLogClear()
{
    qtplat::RunOnGui([] { g_log.clear(); });
}

int FileDialogUnscriptedCount()
{
    int count = 0;
    qtplat::RunOnGui([&] { count = g_unscripted; });
    return count;
}

void OnNextFileDialog(std::function<void()> action)
{
    qtplat::RunOnGui([&] { g_nextAction = std::move(action); });
}

FileDialogView FileDialogShown()
{
    FileDialogView view;
    qtplat::RunOnGui([&] {
        FileChooser* dialog = Current();
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
                view.filters.push_back(ItemName(types, row).toStdString());
            }
            view.selectedFilter = types->currentIndex();
        }
        view.directory = QFile::encodeName(dialog->directory().absolutePath()).toStdString();
        if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
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
        FileChooser* dialog = Current();
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
        FileChooser* dialog = Current();
        if (dialog == nullptr || dialog->message() != nullptr) {
            return;
        }
        if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
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
    FileChooser* dialog = Current();
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
        FileChooser* dialog = Current();
        if (dialog == nullptr || dialog->message() != nullptr) {
            return;
        }
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
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
        FileChooser* dialog = Current();
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
#endif // SALVORIN_SEAMS
