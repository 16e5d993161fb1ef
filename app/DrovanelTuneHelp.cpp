#include "Drovanel.h"
#include "TuneRegisterTable.h"

namespace {

// The one-finger threshold rows of X and Y share their middle part.
#define M0_THRESHOLD_ADVICE                                                            \
    " with one finger on the panel. When using different pressure with the finger"     \
    " (soft -, normal -, hard touching), the finger should always be detected. The"    \
    " line indicates your threshold and the red raw values pass the threshold. Adapt"  \
    " the threshold so that the condition is correct for your panel, that means"       \
    " finger is detected when touching and NO finger is detected when NOT touching"    \
    " (almost touching should also NOT be detected). The M0 Threshold is set to the"   \
    " correct value if all the touching fingers are really detected even if you touch" \
    " very slightly. And there should not be any finger detection due to noise."

// The M0 speed rows of X and Y share one text.
const char kM0SpeedHelp[] =
    "The M0 SPI speed is set to the correct value if there is not to much noise in"
    " the tuning graphic. Adapt your parameter until the noise level seems to be the"
    " lowest. This is just an initial tuning for the M0 SPI speed. Please use a scope"
    " to perform the fine tuning.";

// The speed rows for X and Y give the same advice after their first sentence
// (the Y row, too, names speed X there).
#define M1_SPEED_TUNING_ADVICE                                                         \
    " Place two fingers on the panel and check if the fingers are found with M1,"      \
    " shown in the raster view. If you see a lot of noise points on the screen the"    \
    " SPI M1 speed X might be wrong. Set the speed so that you see not much noise."    \
    " ATTENTION: This is just an initial tuning for SPI M1 speed. At the end the fine" \
    " tuning of SPI M1 speed has to be done."

// The lift threshold rows of X and Y share one text.
const char kM1LiftThresholdHelp[] =
    "The value of the threshold 'M1_LX_THR_MULTIFINGER' is used to define if the"
    " finger is found with M1 Lift X scan. That means the threshold value should be"
    " adapted in a way that you can always only see a reasonable number of found"
    " positions with M1 in the tuning graphic. All the positions shown in the raster"
    " view have been scanned and the value did pass the threshold. The values above"
    " the positions, show the scanvalues.";

// Shown beside the tune list for the selected parameter, by row.
const char* const kTuneHelp[morvex_gui::kTuneParameterCount] = {
    // 0
    kM0SpeedHelp,
    // 1
    "The tuning of the thresholds 'M0_X_THR_ONEFINGER' can be performed by "
    "touching" M0_THRESHOLD_ADVICE
    " Follow the following steps to check the Threshold level: <ul><li> Hover over"
    " the display with one finger, without touching. No finger should be detected. If"
    " finger is detected, raise the Threshold level.</li> <li> Touch only softly with"
    " one finger, Finger should be detected. If finger is not detected, lower the"
    " Threshold level.</li> <li> Touch normally with several fingers. All fingers"
    " should be detected. Otherwise adapt the Threshold.</li></ul>",
    // 2
    kM0SpeedHelp,
    // 3
    "The tuning of the thresholds 'M0_Y_THR_ONEFINGER' can be performed by "
    "touching" M0_THRESHOLD_ADVICE
    " Follow the following steps to check the Threshold level: <ul><li>Hover over the"
    " display with one finger, without touching. No finger should be detected. If"
    " finger is detected, raise the Threshold level.</li> <li>Touch only softly with"
    " one finger, Finger should be detected. If finger is not detected, lower the"
    " Threshold level.</li> <li>Touch normally with several fingers. All fingers"
    " should be detected. Otherwise adapt the Threshold</li></ul>",
    // 4
    "The thresholds for 'M0_THR_X_ZEROCROSSING' should usually not be adapted. Only"
    " in the case when there is a lot of noise and additional fingers appear without"
    " touching, these thresholds might be too low. Otherwise you should always see a"
    " zerocrossing for each finger touching.",
    // 5
    "The thresholds for 'M0_THR_Y_ZEROCROSSING' should usually not be adapted. Only"
    " in the case when there is a lot of noise and additional fingers appear without"
    " touching, these thresholds might be too low. Otherwise you should always see a"
    " zerocrossing for each finger touching.",
    // 6
    "The values of the thresholds 'M0_X_THR_MULTIFINGER' and 'M0_Y_THR_MULTIFINGER'"
    " influence the prospection for Method 1. If 'M0_X_THR_MULTIFINGER' is small, too"
    " many coloumnes will be marked for measurement with M1. The optimum number of"
    " lines for each Finger is three. That means the threshold value should be"
    " adapted in a way that you can always only see three prospected lines for each"
    " maximum in the tuning graphic. The crossing nodes between prospected lines and"
    " prospected columns are represented by the 'X' in the tuning graphic. If the M0"
    " thresholds for Multifinger are correctly set, all the fingers touching the"
    " panel should be detected and displayed in the tuning graphic. That means a"
    " reasonable amount of prospected points for M1 should be visible, even if you"
    " move fast.",
    // 7
    "The values of the thresholds 'M0_X_THR_MULTIFINGER' and 'M0_Y_THR_MULTIFINGER'"
    " influence the prospection for Method 1. If 'M0_Y_THR_MULTIFINGER' is small, too"
    " many lines will be marked for measurement with M1. The optimum number of lines"
    " for each Finger is three. That means the threshold value should be adapted in a"
    " way that you can always only see three prospected lines for each maximum in the"
    " tuning graphic. The crossing nodes between prospected lines and prospected"
    " columns are represented by the 'X' in the tuning graphic. If the M0 thresholds"
    " for Multifinger are correctly set, all the fingers touching the panel should be"
    " detected and displayed in the tuning graphic. That means a reasonable amount of"
    " prospected points for M1 should be visible, even if you move fast.",
    // 8
    "For the tuning of SPI M1 speed X the full screen is scanned with M1 Lift "
    "X." M1_SPEED_TUNING_ADVICE,
    // 9
    kM1LiftThresholdHelp,
    // 10
    "For the tuning of SPI M1 speed Y the full screen is scanned with M1 Lift "
    "Y." M1_SPEED_TUNING_ADVICE,
    // 11
    kM1LiftThresholdHelp,
    // 12
    "For the tuning of Dicho accuracy the full screen is scanned with M1 LiftY."
    " Usually the Dicho accuracy should not be adapted. In case of two noise"
    " environment the Dicho accuracy can be lowered to have better results."
    " ATTENTION: This is just an initial tuning for Dicho accuracy / median. Really"
    " check the noise level with the fine tuning of SPI M1 speed for different Dicho"
    " median level.",
    // 13
    "For the tuning of Dicho median the full screen is scanned with M1 LiftY. The"
    " Dicho median will determine how many times one scan will be repeated. A higher"
    " median can highly improve the noise immunity, but also slows down the scan"
    " rate. To tune the Dicho median place one finger on the panel and check if the"
    " finger is found with M1, shown as 'X'. If you see a lot of noise (additional"
    " 'X') on the screen the Dicho median might be low. Increase the Dicho median"
    " until you see not much noise. ATTENTION: This is just an initial tuning for"
    " Dicho accuracy / median. Really check the noise level with the fine tuning of"
    " SPI M1 speed for different Dicho median level.",
    // 14
    "The M0 SPI speed button is set to the correct value if there is not to much"
    " noise in the tuning graphic. Adapt your parameter until the noise level seems"
    " to be the lowest. This is just an initial tuning for the M0 SPI speed. Please"
    " use a scope to perform the fine tuning.",
    // 15
    "The goal of this step is to correct the raw values affected by the bending of"
    " the panel. The real raw value are shown green '-' and the bending value with"
    " red symbols '-'. In order to correct the bending effect, the firmware substract"
    " the bending values of the real values (raw value = raw value - bending value)."
    " The bending is a dynamic average calculator function. The number of average is"
    " set with the parameter BENDING_AVG.",
    // 16
    "The bending correction must be enabled only if the bending effect is too high."
    " To configure the level of correction, the user must set the parameter"
    " BEND_THR_X. Push on the screen to get the maximum bending effect that you want"
    " to correct. The value shows the data of the bending scan. Set the BEND_THR_X in"
    " a way that some of the data always exceeds the threshold for pressure that"
    " leads to a bending effect.",
    // 17
    "The bending correction must be enabled only if the bending effect is too high."
    " To configure the level of correction, the user must set the parameter"
    " BEND_THR_Y. Push on the screen to get the maximum bending effect that you want"
    " to correct. The value shows the data of the bending scan. Set the BEND_THR_Y in"
    " a way that some of the data always exceeds the threshold for pressure that"
    " leads to a bending effect.",
    // 18
    "Push on the screen to get the maximum bending effect that you want to correct."
    " The value will be registered automatically.",
    // 19
    "The values show the Threshold for the maximum M0 scan value that should be still"
    " detected. Push on the screen to get the maximum bending effect and set the"
    " BEND_MAX_M0_THR_Y value to a level that the finger is still always detected.",
    // 20
    "Push on the screen to get the maximum bending effect that you want to correct."
    " The value will be registered automatically.",
    // 21
    "The values show the Threshold for the maximum M0 scan value that should be still"
    " detected. Push on the screen to get the maximum bending effect and set the"
    " BEND_MAX_M0_THR_Y value to a level that the finger is still always detected.",
    // 22
    "The graphic shows the difference between the normal scan and the water scan for"
    " a detected finger. To get the best result this difference should be minimal."
    " Place a finger on the panel and select a WATER_RATIO_X_FINGER value that gives"
    " the minimum difference (optimum all values are '0').",
    // 23
    "The graphic shows the water detection scan data. Put the minimum amount of water"
    " you want to detect on the screen and set the WATER_THR_X value to the level"
    " that this water drop is always detected.",
    // 24
    "The graphic shows the difference between the normal scan and the water scan for"
    " a detected finger. To get the best result this difference should be minimal."
    " Place a finger on the panel and select a WATER_RATIO_X_FINGER value that gives"
    " the minimum difference (optimum all values are '0').",
    // 25
    "The graphic shows the water detection scan data. Put the minimum amount of water"
    " you want to detect on the screen and set the WATER_THR_Y value to the level"
    " that this water drop is always detected.",
    // 26
    "Set the Finger X position for the M1 SPI speed noise qualification measurement .",
    // 27
    "Set the Finger Y position for the M1 SPI speed noise qualification measurement.",
    // 28
    "Set the Noise X position for the M1 SPI speed noise qualification measurement .",
    // 29
    "Set the Noise Y position for the M1 SPI speed noise qualification measurement.",
};

#undef M1_SPEED_TUNING_ADVICE
#undef M0_THRESHOLD_ADVICE

}  // namespace

QString Drovanel::TuneHelpText(int row) {
    if (!morvex_gui::IsTuneParameterIndex(row)) {
        return QString();
    }
    return QString::fromUtf8(kTuneHelp[row]);
}
