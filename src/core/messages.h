// Every text the program shows, byte for byte. Japanese texts are Shift-JIS
// bytes (octal escapes, so no escape can swallow the next character); field
// widths on the console count these bytes. Generated once from the UTF-8 texts
// shown in the comments.
#pragma once

#include <string_view>

namespace wavecomp::messages {

// The settings echo
// 周波数スペクトル   :  (label of the first echo line, before the 30-byte source name)
inline constexpr std::string_view kSpectrumLabel = "\216\374\224g\220\224\203X\203y\203N\203g\203\213   : ";
inline constexpr std::string_view kSourceJonswap = "JONSWAP";
// 方向スペクトル直接入力 (22 bytes)
inline constexpr std::string_view kSourceEmep =
    "\225\373\214\374\203X\203y\203N\203g\203\213\222\274\220\332\223\374\227\315";
// 周波数スペクトル直接入力 (24 bytes)
inline constexpr std::string_view kSourceSspe =
    "\216\374\224g\220\224\203X\203y\203N\203g\203\213\222\274\220\332\223\374\227\315";
// エネルギー平衡方程式 (20 bytes)
inline constexpr std::string_view kSourceEne = "\203G\203l\203\213\203M\201[\225\275\215t\225\373\222\366\216\256";
// 入力スペクトルファイル名 :
inline constexpr std::string_view kInputFileLabel =
    "\223\374\227\315\203X\203y\203N\203g\203\213\203t\203@\203C\203\213\226\274 : ";
inline constexpr std::string_view kEchoHeight = "H1/3=";
inline constexpr std::string_view kEchoPeriod = "T1/3=";
inline constexpr std::string_view kEchoDirection = "Dirc.=";
// ° (two bytes in Shift-JIS)
inline constexpr std::string_view kDegreeSign = "\201\213";
// γ= (γ is two bytes in Shift-JIS)
inline constexpr std::string_view kEchoGamma = "\203\301=";
inline constexpr std::string_view kVersion = "Ver.r1c";
// Control file
// written after three blanks
inline constexpr std::string_view kCannotOpenControlFile = "Can not open cont.txt file";
// 設定スペクトルを確認してください
inline constexpr std::string_view kBadSpectrumType =
    "\220\335\222\350\203X\203y\203N\203g\203\213\202\360\212m\224F\202\265\202\304\202\255\202\276\202\263\202\242";
// エネルギー等分割とする場合には，   分割数を1024以下に設定してください (69 bytes, three blanks after the full-width
// comma)
inline constexpr std::string_view kTooManyComponents =
    "\203G\203l\203\213\203M\201[\223\231\225\252\212\204\202\306\202\267\202\351\217\352\215\207\202\311\202\315\201C "
    "  "
    "\225\252\212\204\220\224\202\3601024\210\310\211\272\202\311\220\335\222\350\202\265\202\304\202\255\202\276\202"
    "\263\202\242";
// Run driver
inline constexpr std::string_view kFinishedReadSpec = "finished ReadSpec";
inline constexpr std::string_view kFinishedDirectSpec = "finished direct_spec";
inline constexpr std::string_view kFinishedMitgwd = "finished mitgwd";
// two blanks after ERROR
inline constexpr std::string_view kNoPoints = "ERROR  num_p < 1";
// Stages
inline constexpr std::string_view kMitgwd = "mitgwd";
inline constexpr std::string_view kFileNotFind = "== File not find ==";
inline constexpr std::string_view kErrorExistOutFile = "ERROR Exist Out File";
inline constexpr std::string_view kErrorFileName = "Error File name";
// then the trimmed name
inline constexpr std::string_view kPointFileMissingStart = "== File(";
inline constexpr std::string_view kPointFileMissingEnd = ".pnt) is not found ==";
// 方向スペクトル入力データ内の１つめの方向スペクトル
inline constexpr std::string_view kQuestion1 =
    "\225\373\214\374\203X\203y\203N\203g\203\213\223\374\227\315\203f\201[\203^"
    "\223\340\202\314\202P\202\302\202\337\202\314\225\373\214\374\203X\203y\203N\203g\203\213";
// データを入射波として沿岸方向一様に与えますか？
inline constexpr std::string_view kQuestion2 =
    "\203f\201[\203^"
    "\202\360\223\374\216\313\224g\202\306\202\265\202\304\211\210\212\335\225\373\214\374\210\352\227l\202\311\227^"
    "\202\246\202\334\202\267\202\251\201H";
// はい（単一方向スペクトル）：「Y」を入力して下さい
inline constexpr std::string_view kQuestion3 =
    "\202\315\202\242\201i\222P\210\352\225\373\214\374\203X\203y\203N\203g\203\213\201j\201F\201uY\201v\202\360\223"
    "\374\227\315\202\265\202\304\211\272\202\263\202\242";
inline constexpr std::string_view kEmepTooShort = "Error Read-Data: Emep-data is too short";
// an A14 field
inline constexpr std::string_view kNssWarning = " ERROR! nss k=";
// an A14 field
inline constexpr std::string_view kMddWarning = " ERROR! mdd k=";
inline constexpr std::string_view kNumPoints = "num_p = ";
inline constexpr std::string_view kEneNotFoundStart = "Ene spectrum data (";
inline constexpr std::string_view kEneNotFoundEnd = ") can not be found";
inline constexpr std::string_view kEneHeaderUnreadable = "Error: Spectrum Data Set isn't matched";
// then the trimmed name
inline constexpr std::string_view kEneReadOk = "O.K.! reading of Ene Spectrum data :";
inline constexpr std::string_view kEnergyIn = "E_in   =";
inline constexpr std::string_view kEnergySpline = "E_spl  =";
inline constexpr std::string_view kEnergyRatio = "Ratio  =";
inline constexpr std::string_view kHeightIn = "Hm0_in =";
inline constexpr std::string_view kHeightSpline = "Hm0_spl=";

// Output writers: a value that would be written as NaN or Infinity stops the
// run before a file is made (diagnostics, English only)
inline constexpr std::string_view kSplineEnergyZero =
    "E_spl is 0: the spline energy of the input spectrum is zero, amplitudes cannot be scaled";
inline constexpr std::string_view kEnergyRatioNotFinite =
    "E_in / E_spl is negative or not a finite number, amplitudes cannot be scaled";
// then the component number and one of the four endings
inline constexpr std::string_view kComponentLabel = "component ";
inline constexpr std::string_view kNonFiniteFrequency = " has a non-finite frequency";
inline constexpr std::string_view kNonFiniteAmplitude = " has a non-finite amplitude";
inline constexpr std::string_view kNonFiniteDirection = " has a non-finite direction";
inline constexpr std::string_view kNonFinitePhase = " has a non-finite phase";
// then the point index, " (point number ", the number and ")"
inline constexpr std::string_view kAtPoint = " at point ";
inline constexpr std::string_view kPointNumberLabel = " (point number ";
inline constexpr std::string_view kNonFiniteHeight = "H1/3 is not a finite number";
inline constexpr std::string_view kNonFinitePeriod = "T1/3 is not a finite number";
inline constexpr std::string_view kNonFiniteDirc = "Dirc. is not a finite number";
inline constexpr std::string_view kNonFiniteGamma = "gamma is not a finite number";
inline constexpr std::string_view kNonFiniteSmax = "Smax is not a finite number";
// ends every one of these diagnostics
inline constexpr std::string_view kNoFileWritten = "; no component wave file was written";

// JONSWAP synthesis refuses parameters for which the density is undefined
// (English only); then gamma, T1/3 and fmin as stored
inline constexpr std::string_view kJonswapNeedsPositive =
    "JONSWAP needs gamma > 0, T1/3 > 0 and fmin > 0 Hz; gamma, T1/3, fmin =";
inline constexpr std::string_view kJonswapNeedsFinite =
    "JONSWAP needs finite values of H1/3, T1/3, gamma, fmin and fmax";
// then fmax - fmin in Hz
inline constexpr std::string_view kJonswapRangeTooWide =
    "JONSWAP samples at most 100 Hz of frequency range; fmax - fmin =";
// then the component (band) number
inline constexpr std::string_view kJonswapBandRunaway =
    "JONSWAP equal-energy band found too little energy within 200 Hz of its start; band";
// then the component (band) number
inline constexpr std::string_view kJonswapBandNotANumber =
    "JONSWAP equal-energy band met a step energy that is not a number; band";
// then m0
inline constexpr std::string_view kJonswapEnergyNotFinite = "JONSWAP total energy m0 is not a finite number:";

// Counts of the Ene input beyond what the program can hold: "Error in ", the
// file name, ": ", the rule, then the value read (free-format line)
inline constexpr std::string_view kCountErrorStart = "Error in ";
inline constexpr std::string_view kEneFrequencyCountRule = "the number of frequencies nf must be 1 to 3000, found";
inline constexpr std::string_view kEneDirectionCountRule = "the number of directions nd must be 1 to 198, found";
inline constexpr std::string_view kEneBlockCountRule = "the number of spectrum blocks nb must be at least 1, found";
inline constexpr std::string_view kEnePointCountRule = "the number of points num_p must be at most 2048, found";

// Frequency spectra that cannot be divided into components (diagnostics,
// English only). The reader's texts follow "input error in <file>, line <n>:
// expected ".
inline constexpr std::string_view kExpectedFinitePair = "a finite frequency and spectral density";
inline constexpr std::string_view kExpectedAtMost3000Pairs = "at most 3000 frequency pairs, found pair 3001";
// then the line number of the pair before and ")"
inline constexpr std::string_view kExpectedRisingFrequency = "a frequency above that of the pair before it (line ";
// after "<file>: <count>"
inline constexpr std::string_view kTooFewPairs = " frequency pairs, at least 3 are needed to divide the spectrum";
// direct_spec: then the pair index and one of the two endings
inline constexpr std::string_view kInputSpectrumPair = "input spectrum, pair ";
inline constexpr std::string_view kPairNotFinite = ": the frequency or the spectral density is not a finite number";
inline constexpr std::string_view kPairNotRising = ": the frequency is not above that of the pair before it";
// direct_spec: "input spectrum: <count>" then this
inline constexpr std::string_view kInputSpectrumLabel = "input spectrum: ";
inline constexpr std::string_view kPairCountNotDivisible =
    " frequency pairs, 3 to 3000 are needed to divide the spectrum";
inline constexpr std::string_view kRangeNotDivisible =
    "input spectrum: the frequency range cannot be cut into 99999 finite steps";
inline constexpr std::string_view kSpectrumEnergyNotFinite =
    "input spectrum: its energy is not a finite number (densities too large to add up)";
inline constexpr std::string_view kSpectrumEnergyNegative =
    "input spectrum: its energy is below zero (the densities are mostly negative)";
inline constexpr std::string_view kSpectrumEnergyZero =
    "input spectrum: its energy is 0 (every density of the table is 0), so every component would have amplitude 0";
// direct_spec: then k, " of ", N and the ending
inline constexpr std::string_view kBandLabel = "component band ";
inline constexpr std::string_view kOfLabel = " of ";
inline constexpr std::string_view kBandCannotBeFilled =
    " cannot be filled: the spline of the input spectrum holds less energy than the bands need (a finer table or fewer "
    "components help)";
// direct_spec: after "component band <k> of <N>"
inline constexpr std::string_view kBandWalkOutsideTable =
    " cannot be placed: its walk stayed before the end of the table for 10^7 steps (densities too large to divide "
    "exactly)";

}  // namespace wavecomp::messages
