#pragma once
// Everything modal or system-bound goes through this one interface: message boxes, the
// open-file dialog, opening documents and addresses, the beep, and questions about the system.
// The program runs on QtPlatformServices; tests install a recording fake, so whole windows can
// be driven without anything blocking.

#include "SystemFacts.h"

#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

class QDialog;
class QWidget;

namespace platform {

enum class Icon { None, Information, Exclamation, Question, Critical };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

struct MessageBoxRequest {
    QString text;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
    QString title; // empty: the program title
    std::optional<Answer> defaultButton; // empty: the first button
};

struct OpenFileRequest {
    QString title;
    QStringList filters; // "Text Files (*.txt)", "All Files (*)"
    QString defaultSuffix;
    QString fileName; // preset path or name
    QString directory; // where the dialog opens; empty: the system's choice
    // A check box below the files (none when empty); checked holds its state before and after.
    QString checkBox;
    bool* checked = nullptr;
};

class PlatformServices {
public:
    virtual ~PlatformServices() = default;

    virtual Answer messageBox(const MessageBoxRequest& request, QWidget* parent) = 0;
    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<QString> openFileName(const OpenFileRequest& request, QWidget* parent) = 0;
    // The path to write to, or nothing when the user cancelled.
    virtual std::optional<QString> saveFileName(const OpenFileRequest& request, QWidget* parent) = 0;
    virtual bool openUrl(const QUrl& url) = 0;
    // Shows one of the program's own dialogs modally; its result (QDialog::Accepted or not).
    virtual int execDialog(QDialog& dialog) = 0;
    virtual void beep() = 0;
    // Ends the program at once, with this status: no window's closing steps run.
    virtual void endProgram(int status) = 0;
    virtual SystemFacts systemFacts() = 0;
    virtual KeyboardLocks keyboardLocks() = 0;
};

// The services in force: the Qt implementation unless a test installed another.
PlatformServices& Platform();
// Installs services (not owned); nullptr goes back to the Qt implementation.
void SetPlatform(PlatformServices* services);

// A message box titled with the program title unless a title is given.
Answer MsgBox(const QString& text, Buttons buttons = Buttons::Ok, Icon icon = Icon::None,
              const QString& title = {}, QWidget* parent = nullptr);

} // namespace platform
