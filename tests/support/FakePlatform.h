#pragma once
// Platform services for tests: records every request and answers from a script. Installed
// for its lifetime.

#include "platform/PlatformServices.h"

#include <deque>
#include <functional>
#include <vector>

class FakePlatform final : public platform::PlatformServices {
public:
    FakePlatform();
    ~FakePlatform() override;

    platform::Answer messageBox(const platform::MessageBoxRequest& request, QWidget* parent) override;
    std::optional<QString> openFileName(const platform::OpenFileRequest& request, QWidget* parent) override;
    // Answers from chosenFiles as the open-file dialog does.
    // A check box in the request is set to checkBoxAnswer, when there is one.
    std::optional<QString> saveFileName(const platform::OpenFileRequest& request, QWidget* parent) override
    {
        if (request.checked && checkBoxAnswer)
            *request.checked = *checkBoxAnswer;
        return openFileName(request, parent);
    }
    bool openUrl(const QUrl& url) override;
    // Shows nothing: the dialog is shown without a loop, handed to onDialog (when set) to be
    // worked as a person would, and its result returned once onDialog is done.
    int execDialog(QDialog& dialog) override;
    void beep() override;
    void endProgram(int status) override { endedWith = status; }
    platform::SystemFacts systemFacts() override { return facts; }
    platform::KeyboardLocks keyboardLocks() override { return locks; }

    // Answers handed out in turn; when none is left, a message box answers with its default
    // button and the open-file dialog is cancelled.
    std::deque<platform::Answer> answers;
    std::deque<std::optional<QString>> chosenFiles;
    bool openUrlResult = true;
    std::optional<bool> checkBoxAnswer;
    platform::SystemFacts facts;
    platform::KeyboardLocks locks;
    std::function<void(QDialog&)> onDialog;
    std::function<void(const platform::MessageBoxRequest&)> onMessage; // told of each box as it shows

    std::vector<platform::MessageBoxRequest> messages;
    std::vector<platform::OpenFileRequest> fileDialogs;
    std::vector<QUrl> openedUrls;
    std::vector<QString> dialogs; // object names
    int beeps = 0;
    std::optional<int> endedWith;
};
