#include <gtest/gtest.h>

#include <QGraphicsLineItem>
#include <boost/make_shared.hpp>

#include "LogCapture.h"
#include "OpenShortScene.h"
#include "OpenShortState.h"
#include "SceneWindowImp.h"
#include "TempProgramDir.h"

using morvex_gui::OpenShortState;
using morvex_gui_qtlib::OpenShortScene;

namespace {

using Cells = OpenShortState::Cells;
using Table = std::vector<std::vector<int> >;

// The open/short state with a table of its own: the threshold loader knows
// only the four raw-data rows, the open/short test reads six.
class TableOpenShort : public OpenShortState {
public:
    using OpenShortState::OpenShortState;
    void SetTable(Table table) { _thresholdData = std::move(table); }
};

std::string Line(char axis, const std::vector<int>& values) {
    std::string line(1, axis);
    for (size_t i = 0; i < values.size(); ++i) {
        line += (i ? "," : "") + std::to_string(values[i]);
    }
    return line;
}

class OpenShortTest : public ::testing::Test {
protected:
    // A 3 x 2 grid: 4 open values (2 x 2), 3 short values (3 x 1).
    boost::shared_ptr<TableOpenShort> SmallGrid() {
        imp.Set("horizontal_squares", "3");
        imp.Set("vertical_squares", "2");
        auto state = boost::make_shared<TableOpenShort>(&imp);
        // rows: open base, tolerance, shift tolerance; short base, tolerance, shift tolerance
        state->SetTable({{100, 100, 100, 195},
                         {10, 10, 10, 10},
                         {30, 30, 30, 30},
                         {50, 50, 50},
                         {5, 5, 5},
                         {20, 20, 20}});
        return state;
    }

    static void Feed(OpenShortState& state, const std::vector<int>& open,
                     const std::vector<int>& shorts, int times = 1) {
        for (int i = 0; i < times; ++i) {
            state.Parse(Line('X', open).c_str());
            state.Parse(Line('Y', shorts).c_str());
        }
    }

    TempProgramDir dir;
    ViewFixture fixture{760, 660};
    SceneWindowImp imp{fixture};
};

}  // namespace

TEST_F(OpenShortTest, DefectsAreJudgedByBaseToleranceAndTheAbsoluteLimit) {
    auto state = SmallGrid();
    Feed(*state, {100, 100, 100, 195}, {50, 50, 50}, 4);
    imp.Reset();

    // Pair 3 is 200, inside 195 +/- 10; pair 1 is 201, a defect whatever the table.
    // Pair 0 is below and pair 2 above their base: no shift, both listed.
    Feed(*state, {80, 201, 120, 200}, {50, 56, 50});
    EXPECT_EQ(state->GetOpenCells(), (Cells{{0, 0}, {0, 1}, {1, 0}}));
    EXPECT_EQ(state->GetShortCells(), (Cells{{1, 0}}));
    EXPECT_EQ(state->GetOpenData(), (Table{{80, 201}, {120, 200}}));
    EXPECT_EQ(state->GetShortData(), (Table{{50}, {56}, {50}}));

    state->Parse("X1,2,3,4");
    EXPECT_TRUE(state->GetOpenCells().empty()) << "no lists between an X and its Y line";
}

TEST_F(OpenShortTest, AWholeFrameShiftIsJudgedByTheShiftTolerance) {
    auto state = SmallGrid();
    Feed(*state, {100, 100, 100, 195}, {50, 50, 50}, 4);

    Feed(*state, {120, 125, 130, 199}, {30, 30, 30});
    EXPECT_TRUE(state->GetOpenCells().empty()) << "all above, none beyond the shift tolerance";
    EXPECT_TRUE(state->GetShortCells().empty());

    Feed(*state, {120, 131, 130, 199}, {29, 30, 30});
    EXPECT_EQ(state->GetOpenCells(), (Cells{{0, 1}}));
    EXPECT_EQ(state->GetShortCells(), (Cells{{0, 0}}));

    // Signs are compared without overflow.
    state->Parse("X2000000000,2000000000,2000000000,2000000000");
    state->Parse("Y-2000000000,-2000000000,-2000000000");
    EXPECT_TRUE(state->DetectShift(0));
    EXPECT_TRUE(state->DetectShift(1));
    state->Parse("X2000000000,-2000000000,1,1");
    EXPECT_FALSE(state->DetectShift(0));
    state->Parse("X100,100,100,195");
    state->Parse("Y50,50,50");
    EXPECT_FALSE(state->DetectShift(0)) << "no deviation has no sign";
}

TEST_F(OpenShortTest, MissingLimitsCountAsDefectsAndAreLogged) {
    LogCapture log;
    imp.Set("horizontal_squares", "3");
    imp.Set("vertical_squares", "2");
    OpenShortState state(&imp);  // the loaded table has no open/short rows
    Feed(state, {0, 0, 0, 0}, {0, 0, 0}, 5);
    EXPECT_EQ(state.GetOpenCells().size(), 4u);
    EXPECT_EQ(state.GetShortCells().size(), 3u);
    EXPECT_TRUE(log.Contains("no open limits"));
    EXPECT_TRUE(log.Contains("no short limits"));
    Feed(state, {0, 0, 0, 0}, {0, 0, 0});
    EXPECT_EQ(log.Size(), 2u);
}

TEST_F(OpenShortTest, DefectsAreMarkedAndTheFailureReportedOnce) {
    auto state = SmallGrid();
    fixture.Resize(360, 260);  // cells of 100 x 100
    Feed(*state, {100, 100, 100, 195}, {50, 50, 50}, 4);
    auto scene = imp.Current<OpenShortScene>();
    ASSERT_NE(scene, nullptr);

    Feed(*state, {80, 100, 100, 195}, {50, 50, 56});
    ASSERT_EQ(scene->Markers().size(), 2u);
    EXPECT_EQ(fixture.VerdictList(), std::vector<bool>{false});
    EXPECT_EQ(imp._results["debug"], "Debug: ,Fail\r\nX,80,100,100,195\r\nY,50,50,56\r\n");

    Feed(*state, {100, 201, 100, 195}, {50, 50, 50});
    EXPECT_EQ(fixture.Verdicts().count(), 1);
    EXPECT_EQ(fixture.CountItems(QGraphicsLineItem::Type), 1) << "the old markers are gone";

    Feed(*state, {100, 100, 100, 195}, {50, 50, 50});
    EXPECT_TRUE(scene->Markers().empty());
    EXPECT_EQ(fixture.CountItems(QGraphicsLineItem::Type), 0);
    EXPECT_EQ(fixture.Verdicts().count(), 1);
}
