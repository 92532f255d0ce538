// What the storage memory shows on the calculator's screen: the progress
// window of an optimisation and the question after an interrupted one.
#pragma once

struct StorageUi;

// The table the storage memory calls, drawn with the OS's pop-ups and keys.
const StorageUi* OsStorageUi();
