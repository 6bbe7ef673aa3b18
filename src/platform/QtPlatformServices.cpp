#include "QtPlatformServices.h"

#include <QApplication>
#include <QDesktopServices>
#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace platform {

namespace {

QMessageBox::Icon ToQt(Icon icon)
{
    switch (icon) {
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Exclamation:
        return QMessageBox::Warning;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::Critical:
        return QMessageBox::Critical;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

std::vector<std::pair<Answer, QMessageBox::StandardButton>> ButtonsOf(Buttons buttons)
{
    switch (buttons) {
    case Buttons::OkCancel:
        return {{Answer::Ok, QMessageBox::Ok}, {Answer::Cancel, QMessageBox::Cancel}};
    case Buttons::YesNo:
        return {{Answer::Yes, QMessageBox::Yes}, {Answer::No, QMessageBox::No}};
    case Buttons::YesNoCancel:
        return {{Answer::Yes, QMessageBox::Yes}, {Answer::No, QMessageBox::No}, {Answer::Cancel, QMessageBox::Cancel}};
    case Buttons::Ok:
        break;
    }
    return {{Answer::Ok, QMessageBox::Ok}};
}

} // namespace

Answer QtPlatformServices::messageBox(const MessageBoxRequest& request, QWidget* parent)
{
    QMessageBox box(ToQt(request.icon), request.title, request.text, QMessageBox::NoButton, parent);
    const auto buttons = ButtonsOf(request.buttons);
    for (const auto& [answer, button] : buttons) {
        box.addButton(button);
        if (request.defaultButton ? *request.defaultButton == answer : answer == buttons.front().first)
            box.setDefaultButton(button);
    }
    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    for (const auto& [answer, button] : buttons)
        if (button == clicked)
            return answer;
    // Closed without a button (Esc or the title bar): the box's escape answer.
    return buttons.size() == 1 ? buttons.front().first : Answer::Cancel;
}

std::optional<QString> QtPlatformServices::saveFileName(const OpenFileRequest& request, QWidget* parent)
{
    QFileDialog dialog(parent, request.title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(request.filters);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.directory.isEmpty())
        dialog.setDirectory(request.directory);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    QCheckBox* check = nullptr;
    if (!request.checkBox.isEmpty() && request.checked) {
        // Only Qt's own dialog takes a widget of ours.
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
            check = new QCheckBox(request.checkBox, &dialog);
            check->setChecked(*request.checked);
            grid->addWidget(check, grid->rowCount(), 0, 1, grid->columnCount());
        }
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    if (check)
        *request.checked = check->isChecked();
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> QtPlatformServices::openFileName(const OpenFileRequest& request, QWidget* parent)
{
    QFileDialog dialog(parent, request.title);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // A typed name of a file that is not there is returned too: the caller says it cannot open it.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(request.filters);
    // A wildcard suffix stands for every file: there is nothing to add to a typed name.
    if (!request.defaultSuffix.contains('*'))
        dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.directory.isEmpty())
        dialog.setDirectory(request.directory);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    for (;;) {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        const QString chosen = dialog.selectedFiles().constFirst();
        // A pattern such as the preset "*.*" names no file: it filters the list, and the
        // dialog asks again.
        const QString name = QFileInfo(chosen).fileName();
        if (!name.contains('*') && !name.contains('?'))
            return chosen;
        dialog.setNameFilter(name);
        dialog.selectFile(QString());
    }
}

bool QtPlatformServices::openUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

int QtPlatformServices::execDialog(QDialog& dialog)
{
    return dialog.exec();
}

void QtPlatformServices::endProgram(int status)
{
    std::fflush(nullptr);
    std::_Exit(status);
}

void QtPlatformServices::beep()
{
    QApplication::beep();
}

SystemFacts QtPlatformServices::systemFacts()
{
    return ReadSystemFacts();
}

KeyboardLocks QtPlatformServices::keyboardLocks()
{
    return ReadKeyboardLocks();
}

} // namespace platform
