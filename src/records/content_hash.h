// A fingerprint of a file's content (the limits file a run was judged by), so a record shows
// whether two runs used the same limits. No crypto library is in the build; SHA-256 is small
// and fully defined (FIPS 180-4), so it is written here.
#pragma once

#include <string>
#include <string_view>

namespace records {

// The SHA-256 digest of data as 64 lowercase hexadecimal digits.
std::string content_hash(std::string_view data);

}  // namespace records
