#pragma once

namespace cli {

// record: the board's stream into a miniSEED archive.
void add_record_commands();

}  // namespace cli
