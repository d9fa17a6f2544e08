#include "ModalDialog.h"

#include <QDialog>

namespace {
std::function<int(QDialog&)>& Hook() {
    static std::function<int(QDialog&)> hook;
    return hook;
}
} // namespace

int ExecModal(QDialog& dialog) {
    if (Hook())
        return Hook()(dialog);
    return dialog.exec();
}

void SetModalHook(std::function<int(QDialog&)> hook) {
    Hook() = std::move(hook);
}
