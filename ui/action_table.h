#pragma once
// The skin modifier's keyboard actions: 19 commands in one table and context, listed by the host
// with their default shortcuts from accelerator table 508. No action runs in this module.

#include <array>

#include "host/sdk/actiontable.h"

inline constexpr ActionTableId kTessarinActionTableId = 0x3F346222;
inline constexpr ActionContextId kTessarinActionContextId = 0x3F346222;
inline constexpr int kTessarinActionCategory = 71;  // "Tessarin"

// Command id and string-table entry (description and short name) of each row, in table order.
struct TessarinActionRow {
  int command;
  int text;
};
inline constexpr std::array<TessarinActionRow, 19> kTessarinActions = {{
    {1274, 68}, {1275, 72}, {1273, 1},  {1278, 2},  {1279, 3},  {1280, 4},  {1281, 5},
    {1282, 6},  {1283, 7},  {1284, 8},  {1285, 9},  {1286, 10}, {1287, 11}, {1288, 12},
    {1289, 13}, {1290, 14}, {1292, 24}, {1293, 25}, {1320, 250},
}};

// A new table (the caller owns it), after registering its context with the host's action manager
// under the table's name.
ActionTable* BuildTessarinActionTable();
