#pragma once
// The settings file on disk: where it lives, how its text is stored, and saving it so that
// a crash at any moment leaves either the old or the new complete file.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace kestrav {

inline constexpr char kSettingsFileName[] = "Kestrav.ini";
inline constexpr char kSettingsTemporaryName[] = "Kestrav.~in";

// Most bytes of the settings file read: a real one is under 2 KiB. A longer file is read up
// to the last line end within this many bytes.
inline constexpr qint64 kLargestSettingsFileBytes = 1024 * 1024;

// The data folder of an installed copy, "share/kestrav/" beside the executable's "bin/",
// with a trailing "/"; empty when the program runs from where it was built.
QString installed_data_directory(const QString& exe_directory);

// The directory that holds the settings file, with a trailing "/": the executable's
// directory when it can be written and the program is not an installed copy, otherwise
// "kestrav/" in the user's configuration directory ($XDG_CONFIG_HOME, by default ~/.config),
// which is created when missing. An installed program thus keeps settings per user, for
// root too.
QString settings_directory(const QString& exe_directory);

// The settings file to read at start: the one in the application directory; when that
// directory is the per-user one and holds none yet, the one beside the program (installed
// for all users, it gives every new user a start); empty when there is neither.
QString settings_file_to_read(const QString& exe_directory, const QString& app_directory);

struct SettingsFileText {
    QStringList lines;
    bool cut = false; // the file was longer than kLargestSettingsFileBytes
};

// The lines of the file at `path`, decoded as UTF-8 when valid, otherwise as Windows-1252;
// line ends CR LF, LF or CR. Nothing when the path is not a readable regular file.
std::optional<SettingsFileText> load_settings_file(const QString& path);

// The stored form of the lines: each line followed by CR LF, in Windows-1252 when every
// character has a place in it and the bytes read back as the same text, otherwise UTF-8.
QByteArray encode_settings_text(const QStringList& lines);

// Writes the lines to "Kestrav.~in" in `directory`, flushes it to the disk, makes it
// read-only and renames it over "Kestrav.ini" in one step; a stale temporary file is
// removed first, even a read-only one, and a read-only settings file is replaced. When
// "Kestrav.ini" is a symbolic link, the file it finally names is replaced instead, with the
// temporary file beside it, and the link stays.
// False when the temporary file cannot be written or renamed: the old settings file is
// then untouched and no temporary file is left behind.
bool save_settings_file(const QString& directory, const QStringList& lines);

} // namespace kestrav
