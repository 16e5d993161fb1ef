#include <gtest/gtest.h>

#include <QBuffer>
#include <boost/make_shared.hpp>
#include <chrono>
#include <functional>
#include <random>

#include "BendingRawData.h"
#include "ButtonRawDataState.h"
#include "ButtonReferenceDataState.h"
#include "ButtonState.h"
#include "ClassicDebug.h"
#include "ClassicNormal.h"
#include "ClassicRaster.h"
#include "ClearDrawState.h"
#include "CloseState.h"
#include "CoreAttb.h"
#include "CoreBorder.h"
#include "CoreButtonRawdata.h"
#include "CoreControlRegister.h"
#include "CoreDebug.h"
#include "CoreElectrodes.h"
#include "CoreInformation.h"
#include "CoreLinearity.h"
#include "CoreMasterVersion.h"
#include "CoreNormal.h"
#include "CoreNormalFlag.h"
#include "CoreParameterValue.h"
#include "CorePenState.h"
#include "CorePrecise.h"
#include "CoreRaster.h"
#include "CoreRasterX.h"
#include "CoreRasterY.h"
#include "CoreReadSlave.h"
#include "CoreReset.h"
#include "CoreScanParameters.h"
#include "CoreSlaveCrc.h"
#include "CoreSlaveVersion.h"
#include "EepromState.h"
#include "LineDispatch.h"
#include "LogCapture.h"
#include "MasterVersion.h"
#include "OpenShortState.h"
#include "OpenState.h"
#include "PictureView.h"
#include "QNormal.h"
#include "ReferenceDataState.h"
#include "RemainDrawState.h"
#include "ReplyReader.h"
#include "SceneWindowImp.h"
#include "ShortMessage.h"
#include "SingleRawDataB.h"
#include "SingleRawDataX.h"
#include "SingleRawDataY.h"
#include "SlaveVersion.h"
#include "TempProgramDir.h"
#include "TuneDebug.h"
#include "TuneMultiFinger.h"
#include "TuneMultiFingerLift.h"
#include "TuneQualification.h"
#include "TuneTableValue.h"
#include "XCrossValue.h"
#include "YCrossValue.h"

using namespace morvex_gui;

namespace {

using StatePtr = boost::shared_ptr<State>;
using Factory = std::function<StatePtr(WindowImp*)>;

template <class StateT, class... Args>
Factory Make(Args... args) {
    return [=](WindowImp* imp) -> StatePtr { return boost::make_shared<StateT>(imp, args...); };
}

struct NamedState {
    const char* name;
    Factory make;
};

// clang-format off
// The class name goes with each state, so a failure names its state.
#define S(StateT, ...) NamedState{#StateT, Make<StateT>(__VA_ARGS__)}
const NamedState kStates[] = {
    S(BendingRawData), S(ButtonRawDataState, 8, 0), S(ButtonReferenceDataState, 8, 0),
    S(ButtonState), S(ClassicDebug), S(ClassicNormal), S(ClassicRaster), S(ClearDrawState),
    S(CloseState), S(CoreAttb), S(CoreBorder), S(CoreButtonRawdata), S(CoreControlRegister),
    S(CoreDebug), S(CoreElectrodes), S(CoreInformation), S(CoreLinearity), S(CoreMasterVersion),
    S(CoreNormal), S(CoreNormalFlag), S(CoreParameterValue), S(CorePenState), S(CorePrecise),
    S(CoreRaster, 0), S(CoreRasterX), S(CoreRasterY), S(CoreReadSlave), S(CoreReset),
    S(CoreScanParameters), S(CoreSlaveCrc), S(CoreSlaveVersion), S(EepromState), S(MasterVersion),
    S(OpenShortState), S(OpenState), S(PictureView), S(QNormal), S(ReferenceDataState, 20, 0),
    S(RemainDrawState), S(ShortMessage), S(SingleRawDataB), S(SingleRawDataX, 20, 0),
    S(SingleRawDataY, 12, 1), S(SlaveVersion), S(TuneDebug), S(TuneMultiFinger),
    S(TuneMultiFingerLift, 0), S(TuneQualification), S(TuneTableValue), S(XCrossValue),
    S(YCrossValue),
};
// clang-format on
#undef S

// Beginnings of the bridge's reply grammars, so the bad text reaches the
// patterns' repeated parts instead of failing at the first character.
// clang-format off
const char* const kPrefixes[] = {
    "( ", "$ ", "X", "Y", "R", "S", "H", "U", "V", "XR", "RAW DATA", "BENDING DATA",
    "The button rawdata: ", "The button reference rawdata: ", "Read register content: ",
    "Slave version: ", "Master version: I2C master for ", "the data = 3A ",
    "Bootloader information: ", "the number of x electrodes: 0x",
    "The CRC of the application of the slave: 0x ", "+00001 : ", "I2C_MTX_NACK_DATA", "",
};
// clang-format on

// The longest line one read of the reply reader can complete.
constexpr size_t kLongest = ReplyReader::kBufferSize - 16;

// Bad lines after a grammar's beginning: one long digit run, a long run of a
// repeated piece, or random bytes (NUL included, never the line end).
class LineMaker {
public:
    explicit LineMaker(unsigned seed) : _random(seed) {}

    std::string Next() {
        static const char* const kPieces[] = {",", "1,", "-9,", "12 "};
        static const char kFavoured[] = "0123456789,-+ xXYRF";
        std::string line = kPrefixes[Below(std::size(kPrefixes))];
        const size_t kind = Below(6);
        if (kind == 0) {
            line.append(Below(kLongest - line.size()), static_cast<char>('0' + Below(10)));
        } else if (kind < 3) {
            for (size_t n = Below(4000), i = 0; i < n && line.size() < kLongest; ++i) {
                line += kPieces[Below(2) + 2 * (kind - 1)];
            }
            line += kind == 2 ? "F" : "";
        } else {
            for (size_t n = Below(300), i = 0; i < n; ++i) {
                const char c = Below(3) != 0 ? kFavoured[Below(sizeof kFavoured - 1)]
                                             : static_cast<char>(Below(256));
                line += c == '\r' ? '\0' : c;
            }
        }
        return line.substr(0, kLongest);
    }

private:
    size_t Below(size_t bound) { return bound == 0 ? 0 : _random() % bound; }

    std::mt19937 _random;
};

// The read loop of every window: one read of the port, then the lines to the
// current state. Returns the time the lines took.
std::chrono::duration<double> ReadAndDispatch(ReplyReader& reader, const std::string& bytes,
                                              const StatePtr& current) {
    QBuffer port;
    port.setData(QByteArray::fromStdString(bytes));
    port.open(QIODevice::ReadOnly);
    reader.Read(port);
    const auto start = std::chrono::steady_clock::now();
    DispatchLines(reader.Lines(), current);
    return std::chrono::steady_clock::now() - start;
}

class BadReplyLinesTest : public ::testing::TestWithParam<NamedState> {
protected:
    BadReplyLinesTest() : imp(view) {
        imp.Set("x_electrodes", "19");
        imp.Set("y_electrodes", "11");
        imp.Set("button_number", "4");
    }

    TempProgramDir dir;
    ViewFixture view;
    SceneWindowImp imp;
};

TEST_P(BadReplyLinesTest, NoLineEndsTheProgramOrTakesASecond) {
    constexpr int kLines = 1500;
    const StatePtr state = GetParam().make(&imp);
    ReplyReader reader(OverflowRule::KeepBurst);
    LineMaker lines(static_cast<unsigned>(std::hash<std::string>()(GetParam().name)));
    LogCapture log;
    std::chrono::duration<double> slowest{0};
    std::string slowLine;
    for (int i = 0; i < kLines; ++i) {
        const std::string line = lines.Next();
        // The line that starts the display builds its scene; that is not
        // the per-line cost under test.
        const bool started = !state->IsInitialize();
        const auto took = ReadAndDispatch(reader, line + '\r', state);
        if (started && took > slowest) {
            slowest = took;
            slowLine = line.substr(0, 60);
        }
    }
    EXPECT_LT(slowest.count(), 1.0) << "slowest line starts: " << slowLine;
    EXPECT_FALSE(log.Contains("skipped")) << log.Lines().front();
}

INSTANTIATE_TEST_SUITE_P(EveryState, BadReplyLinesTest, ::testing::ValuesIn(kStates),
                         [](const auto& info) { return std::string(info.param.name); });

// A pen report with one long number where sixteen are due once made the
// pattern engine give up; now the line is simply not a report.
TEST(BadReplyLineTest, APenReportWithTooFewNumbersIsIgnoredWithoutAnError) {
    TempProgramDir dir;
    ViewFixture view;
    SceneWindowImp imp(view);
    const auto pen = boost::make_shared<CorePenState>(&imp);
    ReplyReader reader(OverflowRule::KeepBurst);
    LogCapture log;
    const std::string sixteen = "( 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16";
    ReadAndDispatch(reader, sixteen + "\r( 29999999999999\r( 2999999999999999999999999\r", pen);
    EXPECT_FALSE(log.Contains("skipped")) << (log.Size() ? log.Lines().front() : "");
    EXPECT_FALSE(pen->IsInitialize());
    EXPECT_EQ(pen->GetMatch(), sixteen);
}

}  // namespace
