// The reference: the least a Qt Widgets program does to show one empty dialog. Prints the
// monotonic time once the dialog is shown and its loop runs, then ends.
#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <cstdio>
#include <ctime>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle("Empty");
    QTimer::singleShot(0, &dialog, [&dialog] {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        std::printf("%lld.%09ld\n", static_cast<long long>(now.tv_sec), now.tv_nsec);
        std::fflush(stdout);
        dialog.done(0);
    });
    dialog.exec();
    return 0;
}
