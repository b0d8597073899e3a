#pragma once

class QSaveFile;

// QSaveFile writes a new file beside the target and renames it over the
// target, which needs a folder the user may write in. Where the user may
// write an existing file but not its folder, this lets it write the file in
// place instead: the only way to save there, though a failure may then leave
// the file half written. Everywhere else a failed save keeps the old file.
// Call before opening `file`.
void allowDirectWriteInLockedFolder(QSaveFile& file);
