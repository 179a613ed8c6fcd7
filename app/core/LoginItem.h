#pragma once
// Launch at login, as the desktop keeps it: the app's XDG autostart entry
// <config>/autostart/org.brisvane.Brisvane.desktop. The item is enabled while the entry exists
// and does not say Hidden=true (how a desktop's own settings switch an entry off). Nothing here
// runs at start: the settings read and change it.

#include <QString>

#include <optional>

namespace brisvane {

class LoginItem {
public:
    // Why a change did not happen; the reason is the file system's.
    struct Error {
        enum class Operation { registering, unregistering };
        Operation operation;
        QString reason;
        // Localised, for the settings to show.
        QString description() const;
    };

    // The entry in the user's configuration folder, starting the running program.
    LoginItem();
    LoginItem(QString entryPath, QString program);

    const QString& entryPath() const { return m_entryPath; }
    // Read from the file on every call.
    bool isEnabled() const;
    // Writes the entry atomically, replacing a hidden one.
    std::optional<Error> registerItem() const;
    // Removes the entry; an absent one is already unregistered.
    std::optional<Error> unregisterItem() const;

    // The entry's text, starting `program`.
    static QString desktopEntry(const QString& program);

private:
    QString m_entryPath;
    QString m_program;
};

} // namespace brisvane
