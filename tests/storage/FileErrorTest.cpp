#include "storage/FileError.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace skedula {
namespace {

struct ErrorCase {
    int errnum;
    bool folderMissing;
    const char* message;
};

TEST(FileErrorMessage, MapsErrnoToTheUsersMessage) {
    const ErrorCase cases[] = {
        {ENOENT, false, "Datei nicht gefunden"},
        {ENOENT, true, "Ungültiger Dateiname"},
        {ENOTDIR, false, "Ungültiger Dateiname"},
        {EMFILE, false, "Zu viele geöffnete Dateien"},
        {ENFILE, false, "Zu viele geöffnete Dateien"},
        {EACCES, false, "Dateizugriff verweigert"},
        {EPERM, false, "Dateizugriff verweigert"},
        {EROFS, false, "Dateizugriff verweigert"},
        {ENOSPC, false, "Zu wenig Speicherplatz"},
        {EDQUOT, false, "Zu wenig Speicherplatz"},
        {EFBIG, false, "E/A-Fehler 27"},
        {EISDIR, false, "E/A-Fehler 21"},
        // errno values that equal the old program's own numbers must not take their texts.
        {EIO, false, "E/A-Fehler 5"},
        {EINTR, false, "E/A-Fehler 4"},
        {ENETDOWN, false, "E/A-Fehler 100"},
        {ENETUNREACH, false, "E/A-Fehler 101"},
    };
    for (const ErrorCase& c : cases)
        EXPECT_EQ(FileErrorMessage(c.errnum, c.folderMissing), c.message) << "errno " << c.errnum;
}

} // namespace
} // namespace skedula
