#include "recording/station_xml.h"

#include <cstdio>
#include <ctime>
#include <ostream>

#include "core/atomic_file.h"
#include "recording/utc_time.h"

namespace recording {

core::Status write_station_xml(const std::string& path, const StreamNames& n, double rate,
                               double counts_per_volt, std::int64_t start_us) {
    const std::string start = format_utc(start_us, false);
    core::Status s = core::write_file_atomically(path, [&](std::ostream& out) {
        char number[64];
        out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<FDSNStationXML xmlns=\"http://www.fdsn.org/xml/station/1\" "
               "schemaVersion=\"1.1\">\n"
               "  <Source>seisbench</Source>\n"
               "  <Created>"
            << start << "</Created>\n  <Network code=\"" << n.network << "\">\n"
            << "    <Station code=\"" << n.station << "\" startDate=\"" << start << "\">\n"
            << "      <Latitude>0</Latitude>\n      <Longitude>0</Longitude>\n"
               "      <Elevation>0</Elevation>\n      <Site><Name>Test bench</Name></Site>\n";
        for (const std::string& chan : n.channels) {
            std::snprintf(number, sizeof number, "%.17g", rate);
            out << "      <Channel code=\"" << chan << "\" locationCode=\"" << n.location
                << "\" startDate=\"" << start << "\">\n"
                << "        <Latitude>0</Latitude>\n        <Longitude>0</Longitude>\n"
                   "        <Elevation>0</Elevation>\n        <Depth>0</Depth>\n"
                << "        <SampleRate>" << number << "</SampleRate>\n"
                << "        <Response>\n          <InstrumentSensitivity>\n";
            std::snprintf(number, sizeof number, "%.10g", counts_per_volt);
            out << "            <Value>" << number << "</Value>\n"
                << "            <Frequency>1</Frequency>\n"
                   "            <InputUnits><Name>V</Name><Description>Volts</Description>"
                   "</InputUnits>\n"
                   "            <OutputUnits><Name>COUNTS</Name><Description>Digital counts"
                   "</Description></OutputUnits>\n"
                   "          </InstrumentSensitivity>\n        </Response>\n      </Channel>\n";
        }
        out << "    </Station>\n  </Network>\n</FDSNStationXML>\n";
        return static_cast<bool>(out);
    });
    if (!s) s = s.with_message("Record", "File " + path + " cannot be written.");
    return s;
}

}  // namespace recording
