// Saving and loading analysis data files: the main window's save-data and load-data items,
// and the same without a dialog for the command line.
#pragma once

#include "analysis/data_file.h"

#include <string>

namespace analysis {

struct Context;

void saveMenuInAnalysis(const Context& cx);
void loadMenuInAnalysis(const Context& cx);

// 0 when saved; -1 after telling the person why not. The file is written beside the target
// and renamed over it, so a failed save leaves the target as it was.
int save_data_file(const Context& cx, const std::string& path);
// 0 when loaded and analysed; -1 after telling the person which line is wrong. A file that
// cannot be loaded changes nothing.
int load_data_file(const Context& cx, const std::string& path);
// A block already read into the load rows (h.rows() of them) becomes the analysed block, as a
// loaded data file does; source names it in messages. 0, or -1 after a message.
int load_rows_into_block(const Context& cx, const DataHeader& h, const std::string& source);

}  // namespace analysis
