#include "ModalDialog.h"

#include <QDialog>

namespace {
std::function<int(QDialog&)>& Hook() {
    static std::function<int(QDialog&)> hook;
    return hook;
}
} // namespace

int ExecModal(QDialog& dialog) {
    // A copy: the hook may replace itself while it runs.
    if (const std::function<int(QDialog&)> hook = Hook())
        return hook(dialog);
    return dialog.exec();
}

void SetModalHook(std::function<int(QDialog&)> hook) {
    Hook() = std::move(hook);
}
