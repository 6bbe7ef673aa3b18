#pragma once

#include "PlatformServices.h"

namespace platform {

class QtPlatformServices final : public PlatformServices {
public:
    Answer messageBox(const MessageBoxRequest& request, QWidget* parent) override;
    std::optional<QString> openFileName(const OpenFileRequest& request, QWidget* parent) override;
    std::optional<QString> saveFileName(const OpenFileRequest& request, QWidget* parent) override;
    bool openUrl(const QUrl& url) override;
    int execDialog(QDialog& dialog) override;
    void beep() override;
    void endProgram(int status) override;
    SystemFacts systemFacts() override;
    KeyboardLocks keyboardLocks() override;
};

} // namespace platform
