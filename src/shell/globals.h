// Panel handles, paths and the program title that every subsystem reads.
#pragma once

#include <string>

namespace shell {

inline constexpr const char* kVersion = "Korvane Seismic Evaluation V2.8";
inline constexpr const char* kHelpFileName = "TREMORVIEW.HLP";

struct Globals {
    int mainpanel = 0;
    int aboutpanel = 0;
    int setuppanel = 0;
    int analysispanel = 0;
    int controlpanel = 0;
    // Never loaded in this configuration; they stay 0.
    int debugpanel1 = 0;
    int debugpanel2 = 0;
    int recordpanel = 0;
    int historypanel = 0;
    int menu = 0;
    std::string projectDir;
    // The user's data folder when the program runs installed (see core/user_files.h); empty
    // in the build tree.
    std::string userDir;
    std::string helpFile;
    std::string version = kVersion;
};

}  // namespace shell
