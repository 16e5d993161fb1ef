#include "ReplyStreams.h"

#include <boost/make_shared.hpp>

#include "BendingRawData.h"
#include "ButtonRawDataState.h"
#include "CoreDebug.h"
#include "CoreNormal.h"
#include "CoreRasterX.h"
#include "CoreSlaveVersion.h"
#include "OpenShortState.h"
#include "ReferenceDataState.h"
#include "TuneMultiFingerLift.h"

using namespace morvex_gui;

namespace {

constexpr int kChannels = 64;

// "<prefix>v0,v1,...,vn-1" with values that move a little from frame to frame,
// followed by the bridge's carriage return.
std::string ValueLine(const std::string& prefix, int count, int frame, bool trailingComma) {
    std::string line = prefix;
    for (int i = 0; i < count; ++i) {
        line += std::to_string(((i * 7 + frame * 3) % 41) - 20);
        if (i + 1 < count || trailingComma) {
            line += ',';
        }
    }
    return line + '\r';
}

std::string TouchReport(int frame) {
    // Five fingers moving across a 4096 x 4096 panel.
    std::string line = "( 5";
    for (int id = 0; id < 5; ++id) {
        line += "," + std::to_string(id) + "," + std::to_string((frame * 13 + id * 700) % 4096) +
                "," + std::to_string((frame * 7 + id * 500) % 4096);
    }
    return line + '\r';
}

// A raster frame carries two numbers and two lines more than the electrodes.
std::string RasterFrame(int frame) {
    constexpr int kSide = kChannels + 2;
    std::string text = ValueLine("S", kSide, frame, true);
    for (int row = 1; row < kSide; ++row) {
        text += ValueLine("R", kSide, frame + row, true);
    }
    return text;
}

template <class StateT, class... Args>
std::function<boost::shared_ptr<State>(WindowImp*)> Make(Args... args) {
    return [=](WindowImp* imp) { return boost::make_shared<StateT>(imp, args...); };
}

}  // namespace

std::vector<ReplyStream> AllReplyStreams() {
    const std::vector<std::pair<std::string, std::string> > panel = {
        {"x_electrodes", std::to_string(kChannels)},
        {"y_electrodes", std::to_string(kChannels)},
        {"x_res", "4096"},
        {"y_res", "4096"},
        {"reference_electrodes", std::to_string(kChannels)},
        {"rawdata_max", "80"},
        {"rawdata_min", "-60"}};
    auto openShortPanel = panel;
    openShortPanel.push_back({"horizontal_squares", "9"});
    openShortPanel.push_back({"vertical_squares", "8"});
    return {
        {"touch", panel, Make<CoreNormal>(), TouchReport},
        {"debug", panel, Make<CoreDebug>(),
         [](int f) {
             return ValueLine("X", kChannels, f, false) + ValueLine("Y", kChannels, f, false);
         }},
        {"raster x/y", panel, Make<CoreRasterX>(),
         [](int f) {
             return ValueLine("X", kChannels, f, false) + ValueLine("Y", kChannels, f, false);
         }},
        {"single raw/reference", panel, Make<ReferenceDataState>(kChannels, 0),
         [](int f) { return ValueLine("HR", kChannels, f, false); }},
        {"raster", panel, Make<TuneMultiFingerLift>(0), RasterFrame},
        // A grid of 9 by 8 squares: 8 x 8 open pairs and 7 x 9 short pairs.
        {"open/short", openShortPanel, Make<OpenShortState>(),
         [](int f) { return ValueLine("X", 64, f, false) + ValueLine("Y", 63, f, false); }},
        {"bending", panel, Make<BendingRawData>(),
         [](int f) {
             return ValueLine("X", kChannels, f, true) + ValueLine("Y", kChannels, f, true) +
                    ValueLine("U", kChannels, f, true) + ValueLine("V", kChannels, f, true);
         }},
        {"buttons", panel, Make<ButtonRawDataState>(8, 0),
         [](int f) { return ValueLine("The button rawdata: ", 8, f, false); }},
        {"versions", panel, Make<CoreSlaveVersion>(),
         [](int f) { return "Slave version: V1.2." + std::to_string(f % 10) + "\r"; }},
    };
}
