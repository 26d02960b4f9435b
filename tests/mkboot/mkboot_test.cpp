#include "mkboot/mkboot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "chip/files/mkboot_inputs.h"
#include "chipfiles/temp_dir.h"
#include "mkboot/image.h"

namespace {

const std::vector<std::string> kHeader(16, "00");
const std::vector<std::string> kClosing = {"0B", "00", "30", "00", "00", "30", "03", "97",
                                           "80", "C2", "FF", "22", "80", "D7", "40", "00",
                                           "D2", "06", "0E", "0D", "00", "30", "00"};

std::string lines(std::initializer_list<std::vector<std::string>> parts) {
    std::string text;
    for (const auto& part : parts) {
        for (const std::string& byte : part) text += byte + std::string(mkboot::kLineEnd);
    }
    return text;
}

class Mkboot : public ::testing::Test {
  protected:
    struct Outcome {
        int status;
        std::string printed;
    };

    Outcome run(const std::vector<std::string>& args) {
        std::ostringstream out;
        const int status = mkboot::run(args, dir.path(), out);
        return {status, out.str()};
    }

    std::string output() const { return dir.read("mkboot.out"); }
    bool output_exists() const { return std::filesystem::exists(dir.path("mkboot.out")); }

    std::set<std::string> files() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

    // The six inputs of the all-files case, with comments and blank lines.
    std::vector<std::string> six_inputs() {
        return {dir.write("ioreg", "# registers\n20 000431\n"),
                dir.write("fir1", "1.0\n\n0.5\n"),
                dir.write("fir2", "# stage 2\n-1.0\n"),
                dir.write("iir1", "0.0\n-0.5\n0.25\n"),
                dir.write("iir2", "0.125\n-0.25\n0\n1\n-1\n"),
                dir.write("tbs", "1.0\n0.5\n0.0\n-1.0\n")};
    }

    testing_support::TempDir dir;
};

TEST_F(Mkboot, TwoRegisterPairsGiveThe58LineImage) {
    const Outcome r = run({dir.write("ioreg", "20 000431\n0 1\n")});
    EXPECT_EQ(r.status, 0);
    const std::string expected = lines({kHeader,
                                        {"01", "00", "00", "20", "00", "04", "31"},
                                        {"01", "00", "00", "00", "00", "00", "01"},
                                        {"04", "00", "22", "00"},
                                        {"06"},
                                        kClosing});
    EXPECT_EQ(output(), expected);
    EXPECT_EQ(std::count(expected.begin(), expected.end(), '\n'), 58);
}

TEST_F(Mkboot, SuccessPrintsOneLineOfWhatWasWritten) {
    const std::vector<std::string> all = six_inputs();
    const struct {
        std::size_t paths;
        const char* holds;
    } cases[] = {
        {1, "1 register, ROM coefficients, ROM TBS"},
        {3, "1 register, FIR 2 + 1, ROM TBS"},
        {5, "1 register, FIR 2 + 1, IIR 3 + 5, ROM TBS"},
        {6, "1 register, FIR 2 + 1, IIR 3 + 5, TBS 4"},
    };
    for (const auto& c : cases) {
        const Outcome r = run({all.begin(), all.begin() + static_cast<std::ptrdiff_t>(c.paths)});
        ASSERT_EQ(r.status, 0) << c.paths;
        const std::string text = output();
        const auto bytes = std::count(text.begin(), text.end(), '\n');
        EXPECT_EQ(r.printed, "mkboot: wrote mkboot.out: " + std::to_string(bytes) + " bytes, " +
                                 c.holds + "\n");
    }
    EXPECT_NE(run({dir.write("two", "20 000431\n0 1\n")}).printed.find(", 2 registers, "),
              std::string::npos);
}

TEST_F(Mkboot, AddressIsCutToEightBits) {
    ASSERT_EQ(run({dir.write("ioreg", "1FF 123456\n")}).status, 0);
    EXPECT_EQ(output(), lines({kHeader,
                               {"01", "00", "00", "FF", "12", "34", "56"},
                               {"04", "00", "22", "00", "06"},
                               kClosing}));
}

TEST_F(Mkboot, AllSixFiles) {
    const Outcome r = run(six_inputs());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(output(),
              lines({kHeader,
                     {"01", "00", "00", "20", "00", "04", "31"},
                     {"02", "00", "00", "02", "00", "00", "01"},  // FIR1 count 2, FIR2 count 1
                     {"7F", "FF", "FF", "40", "00", "00"},        // FIR1: 1.0, 0.5
                     {"80", "00", "02"},                          // FIR2: -1.0
                     {"03"},
                     {"00", "00", "00", "C0", "00", "01", "20", "00", "00"},  // IIR1
                     {"10", "00", "00", "E0", "00", "01", "00", "00", "00", "7F", "FF", "FF", "80",
                      "00", "02"},  // IIR2
                     {"05", "00", "00", "04"},
                     {"04", "FF", "FF", "02", "80", "00", "00", "00", "00", "FB", "00", "02"},
                     kClosing}));
    EXPECT_EQ(files().size(), 7u) << "no temporary file is left behind";
}

TEST_F(Mkboot, SurplusIirValuesAreNotUsed) {
    std::vector<std::string> args = six_inputs();
    args[3] = dir.write("iir1", "0.0\n-0.5\n0.25\n0.75\nnot read\n");
    args[4] = dir.write("iir2", "0.125\n-0.25\n0\n1\n-1\n0.5\nnot read\n");
    ASSERT_EQ(run(args).status, 0);
    const std::string with_surplus = output();
    ASSERT_EQ(run(six_inputs()).status, 0);
    EXPECT_EQ(with_surplus, output());
}

TEST_F(Mkboot, FirOnlyAndFirWithIir) {
    const std::vector<std::string> all = six_inputs();
    ASSERT_EQ(run({all[0], all[1], all[2]}).status, 0);
    const std::string fir_part = lines({{"02", "00", "00", "02", "00", "00", "01"},
                                        {"7F", "FF", "FF", "40", "00", "00", "80", "00", "02"}});
    const std::string regs = lines({kHeader, {"01", "00", "00", "20", "00", "04", "31"}});
    EXPECT_EQ(output(), regs + fir_part + lines({{"06"}, kClosing}));

    ASSERT_EQ(run({all[0], all[1], all[2], all[3], all[4]}).status, 0);
    const std::string text = output();
    EXPECT_EQ(text.substr(0, regs.size() + fir_part.size()), regs + fir_part);
    EXPECT_EQ(text.substr(regs.size() + fir_part.size(), 3), "03" + std::string(mkboot::kLineEnd));
    EXPECT_EQ(text.size(), (16 + 7 + 16 + 1 + 24 + 1 + 23) * (2 + mkboot::kLineEnd.size()));
}

TEST_F(Mkboot, WindowsInputsGiveTheSameImage) {
    ASSERT_EQ(run(six_inputs()).status, 0);
    const std::string from_unix = output();
    std::vector<std::string> args = {dir.write("ioreg", "# registers\r\n20 000431\r\n"),
                                     dir.write("fir1", "1.0\r\n\r\n0.5\r\n"),
                                     dir.write("fir2", "# stage 2\r\n-1.0\r\n"),
                                     dir.write("iir1", "0.0\r\n-0.5\r\n0.25\r\n"),
                                     dir.write("iir2", "0.125\r\n-0.25\r\n0\r\n1\r\n-1\r\n"),
                                     dir.write("tbs", "1.0\r\n0.5\r\n0.0\r\n-1.0\r\n")};
    ASSERT_EQ(run(args).status, 0);
    EXPECT_EQ(output(), from_unix);
}

TEST_F(Mkboot, WrongArgumentCountPrintsUsageAndCreatesNothing) {
    const std::string reg = dir.write("ioreg", "20 1\n");
    std::vector<std::string> printed;
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, std::vector<std::string>(7, reg)}) {
        const Outcome r = run(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_FALSE(output_exists());
        printed.push_back(r.printed);
    }
    // One text for both counts: the command line, then a line on each input it names.
    EXPECT_EQ(printed[0], printed[1]);
    EXPECT_NE(printed[0].find("Usage:  mkboot <ioreg> [<fir1> <fir2> <iir1> <iir2> <tbsdata>]"),
              std::string::npos);
    for (const char* input : {"ioreg", "fir1", "fir2", "iir1", "iir2", "tbsdata"})
        EXPECT_NE(printed[0].find(std::string("\n  '") + input + "' is a file"), std::string::npos)
            << input;
    // The counts it names are the ones the readers take.
    EXPECT_NE(
        printed[0].find("up to " + std::to_string(chip::kFirValueLimit) + " floating point FIR"),
        std::string::npos);
    EXPECT_NE(
        printed[0].find("up to " + std::to_string(chip::kTbsValueLimit) + " floating point TBS"),
        std::string::npos);
    // Asked for, the same text is an answer, not an error.
    const Outcome help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.printed, printed[0]);
    EXPECT_FALSE(output_exists());
}

TEST_F(Mkboot, StageWithoutItsPartnerIsRefused) {
    const std::vector<std::string> all = six_inputs();
    const Outcome two = run({all[0], all[1]});
    EXPECT_EQ(two.status, 1);
    EXPECT_EQ(two.printed,
              "\n\n*** FIR1 coeff file given without FIR2 coeff file: give both files of the "
              "pair or neither. Nothing was written. ***\n\n");
    const Outcome four = run({all[0], all[1], all[2], all[3]});
    EXPECT_EQ(four.status, 1);
    EXPECT_EQ(four.printed,
              "\n\n*** IIR1 coeff file given without IIR2 coeff file: give both files of the "
              "pair or neither. Nothing was written. ***\n\n");
    EXPECT_FALSE(output_exists());
}

TEST_F(Mkboot, EachInputThatCannotBeOpenedHasItsMessage) {
    const std::vector<std::string> messages = {"\n\n*** Error opening IOREG data file %s ***\n\n",
                                               "\n\n*** Error opening FIR1 coeff file %s. ***\n\n",
                                               "\n\n*** Error opening FIR2 coeff file %s. ***\n\n",
                                               "\n\n*** Error opening IIR1 coeff file %s. ***\n\n",
                                               "\n\n*** Error opening IIR2 coeff file %s. ***\n\n",
                                               "\n\n*** Error opening TBS data file %s. ***\n\n"};
    for (std::size_t i = 0; i < messages.size(); ++i) {
        std::vector<std::string> args = six_inputs();
        args[i] = dir.path("missing-" + std::to_string(i)).string();
        const Outcome r = run(args);
        std::string expected = messages[i];
        expected.replace(expected.find("%s"), 2, args[i]);
        EXPECT_EQ(r.status, 1) << i;
        EXPECT_EQ(r.printed, expected) << i;
        EXPECT_FALSE(output_exists()) << i;
    }
    // A directory cannot be read as a file either, and is named for what it is.
    const Outcome r = run({dir.path().string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.printed, "\n\n*** Error reading IOREG data file " + dir.path().string() +
                             ": it is a folder. ***\n\n");
}

TEST_F(Mkboot, BadInputsAreReportedWithTheirLine) {
    struct Case {
        std::size_t index;
        std::string content;
        std::string message;
    };
    std::string many;
    for (int i = 0; i < 65; ++i) many += "10 " + std::to_string(i) + "\n";
    const std::vector<Case> cases = {
        {0, "20 1\n# c\n20\n",
         "IOREG data file %s: line 3 is not an 'addr data' pair of hex values"},
        {0, many, "IOREG data file %s: more than 64 register pairs (line 65)"},
        {1, "0.5\n0,25\n", "FIR1 coeff file %s: line 2 is not a floating point number"},
        {3, "0.5\n0.25\n", "IIR1 coeff file %s: 3 coefficients needed, 2 found"},
        {4, "1\n2\n3\n4\n", "IIR2 coeff file %s: 5 coefficients needed, 4 found"},
        {5, "1\n\n  \nx\n", "TBS data file %s: line 4 is not a floating point number"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = six_inputs();
        args[c.index] = dir.write("bad", c.content);
        std::string expected = "\n\n*** Error reading " + c.message + ". ***\n\n";
        expected.replace(expected.find("%s"), 2, args[c.index]);
        const Outcome r = run(args);
        EXPECT_EQ(r.status, 1) << c.message;
        EXPECT_EQ(r.printed, expected);
        EXPECT_FALSE(output_exists()) << c.message;
    }
}

TEST_F(Mkboot, InputErrorLeavesThePreviousOutputUntouched) {
    const std::string previous = "previous image\n";
    dir.write("mkboot.out", previous);
    std::vector<std::string> args = six_inputs();

    args[2] = dir.path("absent").string();  // open error on the third file
    EXPECT_EQ(run(args).status, 1);
    EXPECT_EQ(output(), previous);

    args = six_inputs();
    args[5] = dir.write("tbs", "1.0\nbad\n");  // a line that does not scan, in the last file
    EXPECT_EQ(run(args).status, 1);
    EXPECT_EQ(output(), previous);

    EXPECT_EQ(run({args[0], args[1]}).status, 1);  // refused command line
    EXPECT_EQ(run(std::vector<std::string>(7, args[0])).status, 1);
    EXPECT_EQ(output(), previous);

    ASSERT_EQ(run({args[0]}).status, 0);  // a good run replaces it
    EXPECT_NE(output(), previous);
}

TEST_F(Mkboot, OutputThatCannotBeWrittenIsReported) {
    const std::string reg = dir.write("ioreg", "20 1\n");
    std::ostringstream out;
    EXPECT_EQ(mkboot::run(std::vector<std::string>{reg}, dir.path("no-such-dir"), out), 1);
    EXPECT_EQ(out.str(), "\n\n*** Error opening EPROM write file. ***\n\n");

    // The target is a non-empty directory: the finished temporary file cannot replace it, and
    // it is removed again.
    std::filesystem::create_directory(dir.path("mkboot.out"));
    dir.write("mkboot.out/keep", "x");
    const Outcome r = run({reg});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.printed, "\n\n*** Error opening EPROM write file. ***\n\n");
    EXPECT_EQ(files(), (std::set<std::string>{"ioreg", "mkboot.out"}));
}

}  // namespace
