// Windows path terms on the workstation's view of a database path. The connection-string rules
// build Windows strings byte for byte, so these helpers split on "\" only unless said otherwise.
#pragma once

#include <QString>

namespace WinPath {
/// True for "\\host\..." (two backslashes followed by a host name).
bool IsUnc(const QString& path);
/// "C:" for "C:\x\y.fdb"; "\\host\share" for a UNC path; empty otherwise.
QString Drive(const QString& path);
/// Everything up to and including the last backslash.
QString Folder(const QString& path);
/// Everything after the last backslash.
QString FileName(const QString& path);
/// The path without the drive and the backslash after it when it lies on `drive`
/// (case-insensitive); otherwise unchanged.
QString RelativeToDrive(const QString& path, const QString& drive);
/// `folder` with exactly one trailing backslash.
QString WithTrailingBackslash(const QString& folder);

/// Folder part of a path given with "\" or "/" (the last of either), separator included.
QString FolderAnySep(const QString& path);
/// File part of a path given with "\" or "/".
QString FileNameAnySep(const QString& path);
} // namespace WinPath

/// The folder of the host program, where "user/user.fdb" and the companion programs are looked
/// for: the running executable's folder, or ZELM_HOST_DIR when that is set (tests and the demo
/// point it at a provisioned folder). Ends with "/".
QString HostProgramDir();
