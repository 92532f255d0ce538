// The token name table: one row per defined token, written as the names
// read on the screen. Inside a name, {XX} stands for the character byte XX
// and {XXYY} for the two-byte character XX YY. The printable one-byte codes
// 0x20-0x7E and the character pages 0xE5 and 0xE6 are named by their own
// characters and are not listed.
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "math/token.h"

namespace {

constexpr uint32_t kB = kTokenBlankAfter;

struct Row {
  uint16_t code;
  const char* name;
  uint32_t flags;
};

// clang-format off
constexpr Row kRows[] = {
    {0x01, "f", 0},
    {0x02, "p", 0},
    {0x03, "{03}", 0},
    {0x04, "{E64B}", 0},
    {0x05, "m", 0},
    {0x06, "k", 0},
    {0x07, "{07}", 0},
    {0x08, "{08}", 0},
    {0x09, "{09}", 0},
    {0x0A, "{0A}", 0},
    {0x0B, "{0B}", 0},
    {0x0C, "{0C}", 0},
    {0x0D, "{0D}", 0},
    {0x0E, "{E691}", 0},
    {0x0F, "{0F}", 0},
    {0x10, "{10}", 0},
    {0x11, "{11}", 0},
    {0x12, "{12}", 0},
    {0x13, "{13}", 0},
    {0x14, "f{E5D1}", 0},
    {0x15, "f{E5D2}", 0},
    {0x16, "f{E5D3}", 0},
    {0x17, "f{E5D4}", 0},
    {0x18, "f{E5D5}", 0},
    {0x19, "f{E5D6}", 0},
    {0x1A, "{1A}", 0},
    {0x1B, "{1B}", 0},
    {0x1C, "{1C}", 0},
    {0x1D, "{1D}", 0},
    {0x1E, "{1E}", 0},
    {0x1F, "{1F}", 0},
    {0x80, "Pol(", 0},
    {0x81, "sin", kB},
    {0x82, "cos", kB},
    {0x83, "tan", kB},
    {0x84, "h", 0},
    {0x85, "ln", kB},
    {0x86, "{86}", 0},
    {0x87, "{87}", 0},
    {0x88, "{E5B1}", 0},
    {0x89, "+", 0},
    {0x8A, "xnor", 0},
    {0x8B, "{E5C2}", 0},
    {0x8C, "{8C}", 0},
    {0x8D, "{E6BB}(", 0},
    {0x8E, "Mod", 0},
    {0x8F, "{E551}x{E5C2}", 0},
    {0x91, "sin{E5CA}", kB},
    {0x92, "cos{E5CA}", kB},
    {0x93, "tan{E5CA}", kB},
    {0x94, "d", 0},
    {0x95, "log", kB},
    {0x96, "{E5DF}{86}", 0},
    {0x97, "Abs", kB},
    {0x98, "{1C}", 0},
    {0x99, "-", 0},
    {0x9A, "xor", 0},
    {0x9B, "{E5CA}", 0},
    {0x9C, "{9C}", 0},
    {0x9E, "Med", 0},
    {0x9F, "{E551}x", 0},
    {0xA0, "Rec(", 0},
    {0xA1, "sinh", kB},
    {0xA2, "cosh", kB},
    {0xA3, "tanh", kB},
    {0xA4, "o", 0},
    {0xA5, "e^", 0},
    {0xA6, "Int", kB},
    {0xA7, "Not", kB},
    {0xA8, "^", 0},
    {0xA9, "{A9}", 0},
    {0xAA, "or", 0},
    {0xAB, "!", 0},
    {0xAC, "{AC}", 0},
    {0xAD, "minY", 0},
    {0xAE, "minX", 0},
    {0xAF, "n", 0},
    {0xB1, "sinh{E5CA}", kB},
    {0xB2, "cosh{E5CA}", kB},
    {0xB3, "tanh{E5CA}", kB},
    {0xB4, "b", 0},
    {0xB5, "{B5}", 0},
    {0xB6, "Frac", kB},
    {0xB7, "Neg", kB},
    {0xB8, "{E5DD}{86}", 0},
    {0xB9, "{B9}", 0},
    {0xBA, "and", 0},
    {0xBB, "{BB}", 0},
    {0xBC, "{BC}", 0},
    {0xBD, "maxY", 0},
    {0xBE, "maxX", 0},
    {0xBF, "{E551}y{E5C2}", 0},
    {0xC0, "Ans", 0},
    {0xC1, "Ran# ", 0},
    {0xC2, "{C2}", 0},
    {0xC3, "{C3}", 0},
    {0xC4, "x{E651}n", 0},
    {0xC5, "x{E651}n{E5DA}", 0},
    {0xC6, "y{E651}n", 0},
    {0xC7, "y{E651}n{E5DA}", 0},
    {0xC8, "a", 0},
    {0xC9, "b", 0},
    {0xCA, "r", 0},
    {0xCB, "{CB}", 0},
    {0xCC, "{CC}", 0},
    {0xCD, "{CD}", 0},
    {0xCE, "{E647}", 0},
    {0xCF, "{E551}y", 0},
    {0xD0, "{E64F}", 0},
    {0xD1, "Cls", 0},
    {0xD3, "Rnd", 0},
    {0xD4, "Dec", 0},
    {0xD5, "Hex", 0},
    {0xD6, "Bin", 0},
    {0xD7, "Oct", 0},
    {0xD8, "{D8}", 0},
    {0xD9, "Norm", kB},
    {0xDA, "Deg", 0},
    {0xDB, "Rad", 0},
    {0xDC, "Gra", 0},
    {0xDD, "Eng", 0},
    {0xDE, "Intg", kB},
    {0xDF, "{E551}xy", 0},
    {0xE0, "Plot", kB},
    {0xE1, "Line", 0},
    {0xE2, "Lbl", kB},
    {0xE3, "Fix", kB},
    {0xE4, "Sci", kB},
    {0xE8, "Dsz", kB},
    {0xE9, "Isz", kB},
    {0xEA, "Factor", kB},
    {0xEB, "ViewWindow", kB},
    {0xEC, "Goto", kB},
    {0xED, "Prog", kB},
    {0xEE, "Graph Y=", 0},
    {0xEF, "Graph {E6BB}", 0},
    {0xF0, "Graph Y>", 0},
    {0xF1, "Graph Y<", 0},
    {0xF2, "Graph Y{12}", 0},
    {0xF3, "Graph Y{10}", 0},
    {0xF4, "Graph r=", 0},
    {0xF5, "Graph(X,Y)=(", 0},
    {0xF6, ",", 0},
    {0xFB, "P(", 0},
    {0xFC, "Q(", 0},
    {0xFD, "R(", 0},
    {0xFE, "t(", 0},
    {0x7F00, "Xmin", 0},
    {0x7F01, "Xmax", 0},
    {0x7F02, "Xscl", 0},
    {0x7F04, "Ymin", 0},
    {0x7F05, "Ymax", 0},
    {0x7F06, "Yscl", 0},
    {0x7F08, "T{E647}min", 0},
    {0x7F09, "T{E647}max", 0},
    {0x7F0A, "T{E647}ptch", 0},
    {0x7F0B, "Xfct", 0},
    {0x7F0C, "Yfct", 0},
    {0x7F0D, "D Start", 0},
    {0x7F0E, "D End", 0},
    {0x7F0F, "D pitch", 0},
    {0x7F10, "RightXmin", 0},
    {0x7F11, "RightXmax", 0},
    {0x7F12, "RightXscl", 0},
    {0x7F14, "RightYmin", 0},
    {0x7F15, "RightYmax", 0},
    {0x7F16, "RightYscl", 0},
    {0x7F18, "RightT{E647}min", 0},
    {0x7F19, "RightT{E647}max", 0},
    {0x7F1A, "RightT{E647}ptch", 0},
    {0x7F1D, "c", 0},
    {0x7F1E, "d", 0},
    {0x7F1F, "e", 0},
    {0x7F20, "Max(", 0},
    {0x7F21, "Det", kB},
    {0x7F22, "Arg", kB},
    {0x7F23, "Conjg", kB},
    {0x7F24, "ReP", kB},
    {0x7F25, "ImP", kB},
    {0x7F26, "d/dx(", 0},
    {0x7F27, "d{E5C2}/dx{E5C2}(", 0},
    {0x7F28, "Solve(", 0},
    {0x7F29, "{E551}(", 0},
    {0x7F2A, "FMin(", 0},
    {0x7F2B, "FMax(", 0},
    {0x7F2C, "Seq(", 0},
    {0x7F2D, "Min(", 0},
    {0x7F2E, "Mean(", 0},
    {0x7F2F, "Median(", 0},
    {0x7F40, "Mat", kB},
    {0x7F41, "Trn", kB},
    {0x7F42, "*Row", kB},
    {0x7F43, "*Row+", kB},
    {0x7F44, "Row+", kB},
    {0x7F45, "Swap", kB},
    {0x7F46, "Dim", kB},
    {0x7F47, "Fill(", 0},
    {0x7F48, "Identity", kB},
    {0x7F49, "Augment(", 0},
    {0x7F4A, "List{E691}Mat(", 0},
    {0x7F4B, "Mat{E691}List(", 0},
    {0x7F4C, "Sum", kB},
    {0x7F4D, "Prod", kB},
    {0x7F4E, "Percent", kB},
    {0x7F4F, "Cuml", kB},
    {0x7F50, "{7F50}", 0},
    {0x7F51, "List", kB},
    {0x7F52, "{E543}List", kB},
    {0x7F53, "{7F53}", 0},
    {0x7F54, "{7F54}", 0},
    {0x7F55, "{7F54}", 0},
    {0x7F60, "Sim Coef", 0},
    {0x7F61, "Ply Coef", 0},
    {0x7F62, "Sim Result", 0},
    {0x7F63, "Ply Result", 0},
    {0x7F64, "n", 0},
    {0x7F65, "I%", 0},
    {0x7F66, "PV", 0},
    {0x7F67, "PMT", 0},
    {0x7F68, "FV", 0},
    {0x7F6A, "List1", 0},
    {0x7F6B, "List2", 0},
    {0x7F6C, "List3", 0},
    {0x7F6D, "List4", 0},
    {0x7F6E, "List5", 0},
    {0x7F6F, "List6", 0},
    {0x7F76, "Q{E5D1}", 0},
    {0x7F77, "Q{E5D3}", 0},
    {0x7F78, "x{E5D1}", 0},
    {0x7F79, "y{E5D1}", 0},
    {0x7F7A, "x{E5D2}", 0},
    {0x7F7B, "y{E5D2}", 0},
    {0x7F7C, "x{E5D3}", 0},
    {0x7F7D, "y{E5D3}", 0},
    {0x7F85, "logab(", 0},
    {0x7F86, "RndFix(", 0},
    {0x7F8F, "Getkey", 0},
    {0x7F90, "F Result", 0},
    {0x7F91, "F Start", 0},
    {0x7F92, "F End", 0},
    {0x7F93, "F pitch", 0},
    {0x7F94, "R Result", 0},
    {0x7F95, "R Start", 0},
    {0x7F96, "R End", 0},
    {0x7F97, "H Start", 0},
    {0x7F98, "H pitch", 0},
    {0x7FA0, "a{E5DE}", 0},
    {0x7FA1, "a{E5DE}{E5DB}{E5CE}", 0},
    {0x7FA2, "a{E5DE}{E5DB}{E5CF}", 0},
    {0x7FA3, "{E5DE}", 0},
    {0x7FA4, "a{E5CD}", 0},
    {0x7FA5, "a{E5CE}", 0},
    {0x7FA6, "a{E5CF}", 0},
    {0x7FA7, "b{E5DE}", 0},
    {0x7FA8, "b{E5DE}{E5DB}{E5CE}", 0},
    {0x7FA9, "b{E5DE}{E5DB}{E5CF}", 0},
    {0x7FAA, "b{E5CD}", 0},
    {0x7FAB, "b{E5CE}", 0},
    {0x7FAC, "b{E5CF}", 0},
    {0x7FAD, "a{E5DE}Start", 0},
    {0x7FAE, "b{E5DE}Start", 0},
    {0x7FB0, " And", kB},
    {0x7FB1, " Or", kB},
    {0x7FB3, "Not", kB},
    {0x7FC0, "n1", 0},
    {0x7FC1, "n2", 0},
    {0x7FC2, "{C2}1", 0},
    {0x7FC3, "{C2}2", 0},
    {0x7FC4, "x1{E651}n{E5DA}", 0},
    {0x7FC5, "x2{E651}n{E5DA}", 0},
    {0x7FC6, "xp{E651}n{E5DA}", 0},
    {0x7FC7, "{7FC7}", 0},
    {0x7FC8, "{7FC7}1", 0},
    {0x7FC9, "{7FC7}2", 0},
    {0x7FCA, "Left", 0},
    {0x7FCB, "Right", 0},
    {0x7FCC, "P/Y", 0},
    {0x7FCD, "C/Y", 0},
    {0x7FD0, "F", 0},
    {0x7FD1, "z", 0},
    {0x7FD2, "p", 0},
    {0x7FD3, "t", 0},
    {0x7FD4, "s", 0},
    {0x7FD5, "{E656}{E5C2}", 0},
    {0x7FD6, "r{E5C2}", 0},
    {0x7FD7, "Fdf", 0},
    {0x7FD8, "Edf", 0},
    {0x7FD9, "df", 0},
    {0x7FDA, "SS", 0},
    {0x7FDB, "MS", 0},
    {0x7FDC, "SSe", 0},
    {0x7FDD, "MSe", 0},
    {0x7FE9, "CellSum(", 0},
    {0x7FEA, "CellProd(", 0},
    {0x7FEB, "CellMin(", 0},
    {0x7FEC, "CellMax(", 0},
    {0x7FED, "CellMean(", 0},
    {0x7FEE, "CellMedian(", 0},
    {0x7FEF, "CellIf(", 0},
    {0x7FF0, "{E5B4}", 0},
    {0x7FF1, "{E5B2}", 0},
    {0x7FF2, "{E5B3}t", 0},
    {0x7FF3, "{E5B4}t", 0},
    {0x7FF4, "{E5B3}", 0},
    {0xF901, "{E69E}Dec", 0},
    {0xF902, "{E69E}Hex", 0},
    {0xF903, "{E69E}Bin", 0},
    {0xF904, "{E69E}Oct", 0},
    {0xF905, "{E69E}DMS", 0},
    {0xF906, "{E69E}a+b{7F50}", 0},
    {0xF907, "{E69E}r{7F54}{E647}", 0},
    {0xF908, "Real", 0},
    {0xF909, "a+b{7F50}", 0},
    {0xF90A, "r{7F54}{E647}", 0},
    {0xF90B, "EngOn", 0},
    {0xF90C, "EngOff", 0},
    {0xF910, "Sel a{E5CD}", 0},
    {0xF911, "Sel a{E5CE}", 0},
    {0xF912, "c{E5DE}", 0},
    {0xF913, "c{E5DE}{E5DB}{E5CE}", 0},
    {0xF914, "c{E5DE}{E5DB}{E5CF}", 0},
    {0xF915, "c{E5CD}", 0},
    {0xF916, "c{E5CE}", 0},
    {0xF917, "c{E5CF}", 0},
    {0xF918, "c{E5DE}Start", 0},
    {0xF91B, "f{E5DE}", 0},
    {0xF91C, "File", kB},
    {0xF91D, "VarList", kB},
    {0xF91E, "ClrMat", kB},
    {0xF920, "ZoomAuto", 0},
    {0xF921, "Xdot", 0},
    {0xF922, "RightXdot", 0},
    {0xF700, "If", kB},
    {0xF701, "Then", kB},
    {0xF702, "Else", kB},
    {0xF703, "IfEnd", 0},
    {0xF704, "For", kB},
    {0xF705, " To", kB},
    {0xF706, " Step", kB},
    {0xF707, "Next", 0},
    {0xF708, "While", kB},
    {0xF709, "WhileEnd", 0},
    {0xF70A, "Do", 0},
    {0xF70B, "LpWhile", kB},
    {0xF70C, "Return", 0},
    {0xF70D, "Break", 0},
    {0xF70E, "Stop", 0},
    {0xF710, "Locate", kB},
    {0xF711, "Send(", 0},
    {0xF712, "Receive(", 0},
    {0xF713, "OpenComport38k", 0},
    {0xF714, "CloseComport38k", 0},
    {0xF715, "Send38k", kB},
    {0xF716, "Receive38k", kB},
    {0xF718, "ClrText", 0},
    {0xF719, "ClrGraph", 0},
    {0xF71A, "ClrList", kB},
    {0xF71C, "S-L-Normal", 0},
    {0xF71D, "S-L-Thick", 0},
    {0xF71E, "S-L-Broken", 0},
    {0xF71F, "S-L-Dot", 0},
    {0xF720, "DrawGraph", 0},
    {0xF722, "DrawDyna", 0},
    {0xF723, "DrawStat", 0},
    {0xF724, "DrawFTG-Con", 0},
    {0xF725, "DrawFTG-Plt", 0},
    {0xF726, "DrawR-Con", 0},
    {0xF727, "DrawR-Plt", 0},
    {0xF728, "DrawR{E551}-Con", 0},
    {0xF729, "DrawR{E551}-Plt", 0},
    {0xF72A, "DrawWeb", kB},
    {0xF72B, "NormalG", kB},
    {0xF72C, "ThickG", kB},
    {0xF72D, "BrokenThickG", kB},
    {0xF72E, "DispF-Tbl", 0},
    {0xF72F, "DispR-Tbl", 0},
    {0xF732, "NPPlot", 0},
    {0xF733, "Sinusoidal", 0},
    {0xF734, "SinReg", kB},
    {0xF735, "Logistic", 0},
    {0xF736, "LogisticReg", kB},
    {0xF73F, "DotG", kB},
    {0xF740, "1-Variable", kB},
    {0xF741, "2-Variable", kB},
    {0xF742, "LinearReg", kB},
    {0xF743, "Med-MedLine", kB},
    {0xF744, "QuadReg", kB},
    {0xF745, "CubicReg", kB},
    {0xF746, "QuartReg", kB},
    {0xF747, "LogReg", kB},
    {0xF748, "ExpReg", kB},
    {0xF749, "PowerReg", kB},
    {0xF74A, "S-Gph1", kB},
    {0xF74B, "S-Gph2", kB},
    {0xF74C, "S-Gph3", kB},
    {0xF74D, "Square", 0},
    {0xF74E, "Cross", 0},
    {0xF74F, "Dot", 0},
    {0xF750, "Scatter", 0},
    {0xF751, "xyLine", 0},
    {0xF752, "Hist", 0},
    {0xF753, "MedBox", 0},
    {0xF755, "N-Dist", 0},
    {0xF756, "Broken", 0},
    {0xF757, "Linear", 0},
    {0xF758, "Med-Med", 0},
    {0xF759, "Quad", 0},
    {0xF75A, "Cubic", 0},
    {0xF75B, "Quart", 0},
    {0xF75C, "Log", 0},
    {0xF75D, "Exp", 0},
    {0xF75E, "Power", 0},
    {0xF760, "S-WindAuto", 0},
    {0xF761, "S-WindMan", 0},
    {0xF762, "Graph X=", 0},
    {0xF763, "Y=Type", 0},
    {0xF764, "r=Type", 0},
    {0xF765, "ParamType", 0},
    {0xF767, "X=cType", 0},
    {0xF76A, "Y>Type", 0},
    {0xF76B, "Y<Type", 0},
    {0xF76C, "Y{12}Type", 0},
    {0xF76D, "Y{10}Type", 0},
    {0xF770, "G-Connect", 0},
    {0xF771, "G-Plot", 0},
    {0xF776, "Resid-None", 0},
    {0xF777, "Resid-List", kB},
    {0xF778, "BG-None", 0},
    {0xF779, "BG-Pict", kB},
    {0xF77A, "GridOff", 0},
    {0xF77D, "GridOn", 0},
    {0xF780, "D Var", kB},
    {0xF788, "VarRange", 0},
    {0xF78C, "SketchNormal", kB},
    {0xF78D, "SketchThick", kB},
    {0xF78E, "SketchBroken", kB},
    {0xF78F, "SketchDot", kB},
    {0xF790, "a{E5DE}Type", 0},
    {0xF791, "a{E5DE}{E5DB}{E5CE}Type", 0},
    {0xF792, "a{E5DE}{E5DB}{E5CF}Type", 0},
    {0xF793, "StoPict", kB},
    {0xF794, "RclPict", kB},
    {0xF795, "StoGMEM", kB},
    {0xF796, "RclGMEM", kB},
    {0xF797, "StoV-Win", kB},
    {0xF798, "RclV-Win", kB},
    {0xF79F, "RclCapt", kB},
    {0xF7A0, "Tangent", kB},
    {0xF7A1, "Normal", kB},
    {0xF7A2, "Inverse", kB},
    {0xF7A3, "Vertical", kB},
    {0xF7A4, "Horizontal", kB},
    {0xF7A5, "Text", kB},
    {0xF7A6, "Circle", kB},
    {0xF7A7, "F-Line", kB},
    {0xF7A8, "PlotOn", kB},
    {0xF7A9, "PlotOff", kB},
    {0xF7AA, "PlotChg", kB},
    {0xF7AB, "PxlOn", kB},
    {0xF7AC, "PxlOff", kB},
    {0xF7AD, "PxlChg", kB},
    {0xF7AF, "PxlTest(", 0},
    {0xF7B0, "SortA(", 0},
    {0xF7B1, "SortD(", 0},
    {0xF7B2, "VarList1", 0},
    {0xF7B3, "VarList2", 0},
    {0xF7B4, "VarList3", 0},
    {0xF7B5, "VarList4", 0},
    {0xF7B6, "VarList5", 0},
    {0xF7B7, "VarList6", 0},
    {0xF7B8, "File1", 0},
    {0xF7B9, "File2", 0},
    {0xF7BA, "File3", 0},
    {0xF7BB, "File4", 0},
    {0xF7BC, "File5", 0},
    {0xF7BD, "File6", 0},
    {0xF7BE, "Y=DrawSpeedNorm", 0},
    {0xF7BF, "Y=DrawSpeedHigh", 0},
    {0xF7C0, "FuncOn", 0},
    {0xF7C1, "SimulOn", 0},
    {0xF7C2, "AxesOn", 0},
    {0xF7C3, "CoordOn", 0},
    {0xF7C4, "LabelOn", 0},
    {0xF7C5, "DerivOn", 0},
    {0xF7C6, "LocusOn", 0},
    {0xF7C7, "{E551}dispOn", 0},
    {0xF7C8, "G SelOn", kB},
    {0xF7C9, "T SelOn", kB},
    {0xF7CA, "D SelOn", kB},
    {0xF7CB, "R SelOn", kB},
    {0xF7CC, "DrawOn", 0},
    {0xF7CD, "ab/c", 0},
    {0xF7CE, "d/c", 0},
    {0xF7D0, "FuncOff", 0},
    {0xF7D1, "SimulOff", 0},
    {0xF7D2, "AxesOff", 0},
    {0xF7D3, "CoordOff", 0},
    {0xF7D4, "LabelOff", 0},
    {0xF7D5, "DerivOff", 0},
    {0xF7D6, "LocusOff", 0},
    {0xF7D7, "{E551}dispOff", 0},
    {0xF7D8, "G SelOff", kB},
    {0xF7D9, "T SelOff", kB},
    {0xF7DA, "D SelOff", kB},
    {0xF7DB, "R SelOff", kB},
    {0xF7DC, "DrawOff", 0},
};
// clang-format on

// Page order of the lookup: one-byte tokens, then the lead bytes.
constexpr uint8_t kPageLeads[] = {0x00, 0xF9, 0x7F, 0xF7, 0xE5, 0xE6};
constexpr int kPageCount = 6;

int PageOf(uint16_t code) {
  if (code < 0x100) return 0;
  for (int p = 1; p < kPageCount; ++p) {
    if ((code >> 8) == kPageLeads[p]) return p;
  }
  return -1;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "{XX}" and "{XXYY}" to their bytes.
std::string Decode(const char* text) {
  std::string out;
  for (const char* p = text; *p; ++p) {
    if (*p != '{') {
      out += *p;
      continue;
    }
    ++p;
    while (*p && *p != '}') {
      out += char(HexValue(p[0]) * 16 + HexValue(p[1]));
      p += 2;
    }
  }
  return out;
}

struct Entry {
  const char* name = "@";
  uint32_t attributes = 1;
  bool defined = false;
};

struct Table {
  std::vector<std::string> names;  // owns the decoded texts
  std::array<std::array<Entry, 256>, kPageCount> pages;
};

const Table& TheTable() {
  static const Table table = [] {
    Table t;
    t.names.reserve(std::size(kRows) + 95 + 2 * 255);
    auto put = [&t](uint16_t code, std::string name, uint32_t flags) {
      t.names.push_back(std::move(name));
      const std::string& n = t.names.back();
      Entry& e = t.pages[size_t(PageOf(code))][code & 0xFF];
      e.name = n.c_str();
      e.attributes = uint32_t(n.size()) | flags;
      e.defined = true;
    };
    for (int c = 0x20; c <= 0x7E; ++c) put(uint16_t(c), std::string(1, char(c)), 0);
    for (const Row& r : kRows) {
      uint32_t flags = r.flags;
      if (r.code == 0x0C || r.code == 0x0D) flags |= kTokenLineEnd;
      put(r.code, Decode(r.name), flags);
    }
    for (uint8_t lead : {uint8_t(0xE5), uint8_t(0xE6)}) {
      for (int second = 1; second < 256; ++second) {
        put(uint16_t(lead << 8 | second), std::string{char(lead), char(second)}, 0);
      }
    }
    return t;
  }();
  return table;
}

const Entry* EntryOf(uint16_t code) {
  int page = PageOf(code);
  if (page < 0) return nullptr;
  return &TheTable().pages[size_t(page)][code & 0xFF];
}

}  // namespace

uint16_t TokenPeek(const uint8_t* cursor, int* length) {
  int len = 1;
  uint16_t code = cursor[0];
  // 0x7F00 (Xmin) and 0xF700 (If) have a zero second byte; other leads
  // before a zero byte stand alone.
  bool zeroSecond = cursor[0] == 0x7F || cursor[0] == 0xF7;
  if (code == 0) {
    len = 0;
  } else if (TokenIsLead(cursor[0]) && (cursor[1] != 0 || zeroSecond)) {
    code = uint16_t(cursor[0] << 8 | cursor[1]);
    len = 2;
  }
  if (length) *length = len;
  return code;
}

uint16_t TokenAdvance(const uint8_t** cursor) {
  int len;
  uint16_t code = TokenPeek(*cursor, &len);
  *cursor += len;
  return code;
}

const char* TokenRawName(uint16_t code, uint32_t* attributes) {
  const Entry* e = EntryOf(code);
  if (attributes) *attributes = e ? e->attributes : 0;
  return e ? e->name : nullptr;
}

bool TokenDefined(uint16_t code) {
  const Entry* e = EntryOf(code);
  return e && e->defined;
}

bool TokenName(uint16_t code, char buffer[kTokenNameBuffer]) {
  const Entry* e = EntryOf(code);
  if (!e) return false;
  size_t n = std::strlen(e->name);
  std::memcpy(buffer, e->name, n);
  if (e->attributes & kTokenBlankAfter) buffer[n++] = ' ';
  buffer[n] = 0;
  return true;
}

void TokenForEach(void (*fn)(uint16_t code, const char* name, uint32_t attributes, void* user),
                  void* user) {
  const Table& t = TheTable();
  for (int p = 0; p < kPageCount; ++p) {
    for (int second = 0; second < 256; ++second) {
      const Entry& e = t.pages[size_t(p)][size_t(second)];
      if (e.defined) fn(uint16_t(kPageLeads[p] << 8 | second), e.name, e.attributes, user);
    }
  }
}

size_t TokenStringLength(const uint8_t* tokens) {
  const uint8_t* p = tokens;
  while (TokenAdvance(&p) != 0) {
  }
  return size_t(p - tokens);
}
