// How the host suite reaches the plug-in: load the library by path, call an entry point by name
// with a user code and an opening identifier, read the failure text of the last call.
#pragma once

#include <QLibrary>
#include <QString>

class THostLoader {
public:
    /// The plug-in built beside the host (or ZELM_PLUGIN when set).
    static QString DefaultLibraryPath();
    /// The host program's folder when none is given on the command line: ZELM_HOST_DIR, else
    /// "folder=" of the site's configuration file (ZELM_CONF, default /etc/zelm/zelm.conf), else
    /// the program's own folder when it holds a host layout (user/user.fdb: a build tree, a host
    /// suite's folder). Empty with `perche` set to an Italian explanation when none applies.
    static QString HostFolder(QString* perche);
    static QString ConfigFile();
    bool Load(const QString& path);
    QString ErrorString() const { return fLibrary.errorString(); }
    /// Calls `entry` ("ShowZelmModelFormX", …); false with LastError() when the window could not
    /// be built or the entry point does not exist.
    bool Call(const QString& entry, int utente, int idFinestra);
    QString LastError() const { return fLastError; }

private:
    QLibrary fLibrary;
    QString fLastError;
};
