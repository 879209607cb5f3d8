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
inline constexpr std::string_view kSourceEmep = "\225\373\214\374\203X\203y\203N\203g\203\213\222\274\220\332\223\374\227\315";
// 周波数スペクトル直接入力 (24 bytes)
inline constexpr std::string_view kSourceSspe = "\216\374\224g\220\224\203X\203y\203N\203g\203\213\222\274\220\332\223\374\227\315";
// エネルギー平衡方程式 (20 bytes)
inline constexpr std::string_view kSourceEne = "\203G\203l\203\213\203M\201[\225\275\215t\225\373\222\366\216\256";
// 入力スペクトルファイル名 : 
inline constexpr std::string_view kInputFileLabel = "\223\374\227\315\203X\203y\203N\203g\203\213\203t\203@\203C\203\213\226\274 : ";
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
inline constexpr std::string_view kBadSpectrumType = "\220\335\222\350\203X\203y\203N\203g\203\213\202\360\212m\224F\202\265\202\304\202\255\202\276\202\263\202\242";
// エネルギー等分割とする場合には，   分割数を1024以下に設定してください (69 bytes, three blanks after the full-width comma)
inline constexpr std::string_view kTooManyComponents = "\203G\203l\203\213\203M\201[\223\231\225\252\212\204\202\306\202\267\202\351\217\352\215\207\202\311\202\315\201C   \225\252\212\204\220\224\202\3601024\210\310\211\272\202\311\220\335\222\350\202\265\202\304\202\255\202\276\202\263\202\242";
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
inline constexpr std::string_view kQuestion1 = "\225\373\214\374\203X\203y\203N\203g\203\213\223\374\227\315\203f\201[\203^\223\340\202\314\202P\202\302\202\337\202\314\225\373\214\374\203X\203y\203N\203g\203\213";
// データを入射波として沿岸方向一様に与えますか？
inline constexpr std::string_view kQuestion2 = "\203f\201[\203^\202\360\223\374\216\313\224g\202\306\202\265\202\304\211\210\212\335\225\373\214\374\210\352\227l\202\311\227^\202\246\202\334\202\267\202\251\201H";
// はい（単一方向スペクトル）：「Y」を入力して下さい
inline constexpr std::string_view kQuestion3 = "\202\315\202\242\201i\222P\210\352\225\373\214\374\203X\203y\203N\203g\203\213\201j\201F\201uY\201v\202\360\223\374\227\315\202\265\202\304\211\272\202\263\202\242";
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
inline constexpr std::string_view kSmaxLabel = "Smax=";

}  // namespace wavecomp::messages
