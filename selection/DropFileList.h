#pragma once
#include <cstddef>
#include <string>
#include <vector>

// The names of a CF_HDROP block (a DROPFILES header, then the names, wide or ANSI), read in
// one pass and never past the block's end: the same names, in the same order and cut to the
// same 1,023 units, that DragQueryFileW gives index by index, without its walk from the start
// for every index. Only the first name can be empty: a list that starts with its terminator
// counts one name, which cannot be fetched.
struct DropFileList {
    std::vector<std::wstring> Names;
    bool AnyCut = false;  // a name was longer than 1,023 characters of the list

    // False, with nothing read, when the block holds no well-formed list: smaller than its
    // header, the list's offset outside it, or no final terminator inside it.
    bool Read(const void* block, size_t size);
};
