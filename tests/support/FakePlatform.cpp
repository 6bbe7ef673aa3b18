#include "FakePlatform.h"

#include <QDialog>

using namespace platform;

FakePlatform::FakePlatform()
{
    facts.kernelRelease = QStringLiteral("6.1.0-test");
    facts.distributionName = QStringLiteral("Test Linux");
    facts.architecture = QStringLiteral("x86_64");
    facts.processorModel = QStringLiteral("Test CPU");
    facts.processorCount = 2;
    SetPlatform(this);
}

FakePlatform::~FakePlatform()
{
    SetPlatform(nullptr);
}

Answer FakePlatform::messageBox(const MessageBoxRequest& request, QWidget*)
{
    messages.push_back(request);
    if (onMessage)
        onMessage(request);
    if (!answers.empty()) {
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    if (request.defaultButton)
        return *request.defaultButton;
    return request.buttons == Buttons::YesNo || request.buttons == Buttons::YesNoCancel ? Answer::Yes : Answer::Ok;
}

std::optional<QString> FakePlatform::openFileName(const OpenFileRequest& request, QWidget*)
{
    fileDialogs.push_back(request);
    if (chosenFiles.empty())
        return std::nullopt;
    std::optional<QString> chosen = std::move(chosenFiles.front());
    chosenFiles.pop_front();
    return chosen;
}

bool FakePlatform::openUrl(const QUrl& url)
{
    openedUrls.push_back(url);
    return openUrlResult;
}

int FakePlatform::execDialog(QDialog& dialog)
{
    dialogs.push_back(dialog.objectName());
    dialog.setResult(QDialog::Rejected);
    dialog.show();
    if (onDialog)
        onDialog(dialog);
    if (dialog.isVisible())
        dialog.reject();
    return dialog.result();
}

void FakePlatform::beep()
{
    ++beeps;
}
