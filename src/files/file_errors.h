// The error numbers the bitmap file operations and the file dialogs report. Zero is success; the
// window turns every other number into its message (see file_messages.h).
//
//   number  meaning                              raised by
//   ------  -----------------------------------  -------------------------------------------------
//       53  file not found                       load: nothing of that name (or a dangling link)
//       75  path / file access error             save: missing or unwritable folder, a parent that
//                                                is a file, permission, a failed write or rename
//                                                (a full disk included), a target that is not an
//                                                ordinary file (folder, hidden file, device, fifo);
//                                                load: a folder, device or fifo, no permission
//      481  invalid picture                      load: not a picture, an empty or truncated file,
//                                                a declared size beyond the load limits;
//                                                save: a null image
//    32755  the user cancelled a file dialog     CommonDialog::ShowOpen / ShowSave with CancelError
#pragma once

inline constexpr int kFileOk = 0;
inline constexpr int kFileNotFound = 53;
inline constexpr int kFileAccessError = 75;
inline constexpr int kInvalidPicture = 481;
inline constexpr int kCancelError = 32755;
