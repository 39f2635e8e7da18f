// The disk-level fault hook (fault_vfs.cc): an SQLite VFS in front of the
// default one that asks the installed FaultPlan (StoreOp::kDiskWrite)
// before every write, truncation and sync of a database or WAL file, and
// fails it with the plan's error (an I/O error or a full disk) without
// touching the file.
#ifndef KEYMEND_NSK_FAULT_VFS_H_
#define KEYMEND_NSK_FAULT_VFS_H_

namespace nsk {

// Makes the fault VFS SQLite's default, once per process; connections
// opened before the call keep the VFS they have. Without an armed plan it
// only passes calls through. False when SQLite would not take it.
bool InstallFaultVfs();

}  // namespace nsk

#endif  // KEYMEND_NSK_FAULT_VFS_H_
