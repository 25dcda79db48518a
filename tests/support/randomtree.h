#pragma once

#include <random>

#include "tests/support/fakefilesystem.h"

namespace qorv::test {

/// A random tree of up to a few hundred entries: chains that grow deep,
/// wide folders, links (some back up their own descent), folders that are
/// refused, gone, or fail at some step, files whose time is gone, out of
/// range or fails, folders whose name ends in "skip" or holds "trap" and
/// files whose name holds "boom", for rules that leave those out or fail
/// on them.
void growRandomTree(FakeFileSystem& fs, std::mt19937& random);

}  // namespace qorv::test
