// make_test_firmware: writes a test firmware file for the simulated board, and optionally
// the flash contents a board programmed with it must hold, for comparison with
// `seisbench-cli --simulate ... 'sim flash FILE'`.
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>

#include "boardlink/firmware/firmware_file.h"
#include "boardlink/firmware/firmware_names.h"
#include "core/atomic_file.h"
#include "test_image.h"

namespace {

const char* const kUsage =
    "usage: make_test_firmware CODE [--bytes N] [--out FILE] [--flash FILE]\n"
    "\n"
    "Writes a TEST image (not firmware) for board code 1-10 in the firmware file format:\n"
    "  --bytes N     image size in bytes, rounded up to 64 (default and at most 11776)\n"
    "  --out FILE    the firmware file (default: the board's own file name, e.g.\n"
    "                evk4810C_mcu.thx, in the current folder)\n"
    "  --flash FILE  also the 11776 bytes the simulated flash holds after programming it\n";

bool number(const std::string& text, long min, long max, long* v) {
    char* end = nullptr;
    *v = std::strtol(text.c_str(), &end, 0);
    return !text.empty() && *end == '\0' && *v >= min && *v <= max;
}

bool write(const std::string& path, std::string_view content) {
    if (core::write_file_atomically(path, content)) return true;
    std::cerr << "make_test_firmware: cannot write " << path << "\n";
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    namespace fw = boardlink::firmware;
    long code = 0, bytes = fw::kImageEnd;
    std::string out, flash;
    auto usage = [] {
        std::cerr << kUsage;
        return 2;
    };
    // The code, then option and value pairs.
    if (argc < 2 || argc % 2 != 0 || !number(argv[1], 1, 10, &code)) return usage();
    for (int i = 2; i < argc; i += 2) {
        const std::string option = argv[i], value = argv[i + 1];
        if (option == "--bytes") {
            if (!number(value, 0, fw::kImageEnd, &bytes)) return usage();
        } else if (option == "--out") {
            out = value;
        } else if (option == "--flash") {
            flash = value;
        } else {
            return usage();
        }
    }
    if (out.empty()) out = fw::firmware_file_name(static_cast<int>(code));
    const test_firmware::Bytes image =
        test_firmware::image_bytes(static_cast<int>(code), static_cast<std::size_t>(bytes));
    if (!write(out, test_firmware::firmware_text(image))) return 1;
    if (!flash.empty()) {
        const test_firmware::Bytes after = test_firmware::flash_after(image);
        if (!write(flash,
                   std::string_view(reinterpret_cast<const char*>(after.data()), after.size())))
            return 1;
    }
    std::cout << out << ": test image of " << image.size() << " bytes ("
              << image.size() / fw::kDataBytes << " records) for board code " << code << "\n";
    return 0;
}
