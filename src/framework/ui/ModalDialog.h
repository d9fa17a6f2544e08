// The door through which the windows show their own modal dialogs (annotation, file reference):
// a test puts a hook in its place that fills the dialog and answers it.
#pragma once

#include <functional>

class QDialog;

/// Runs `dialog` modally and returns its result (QDialog::Accepted or Rejected).
int ExecModal(QDialog& dialog);
/// Replaces the modal run by `hook` (empty: the real exec()); returns nothing.
void SetModalHook(std::function<int(QDialog&)> hook);
