#pragma once
// Numbers of the module's resources and of the dialog controls the code refers to.

// Dialog templates.
inline constexpr int IDD_ORBICLE = 501;          // Orbicle rollout
inline constexpr int IDD_ABOUT_TESSARIN = 502;   // About box of the Wobblex, Orbicle and Fluxel panels
inline constexpr int IDD_WOBBLEX = 509;          // Wobblex rollout
inline constexpr int IDD_TESSARIN_PARAMS = 510;  // automatic rollout of the skin's switches (never opened)
inline constexpr int IDD_TESSARIN_PANEL = 519;   // the skin modifier's command-panel page
inline constexpr int IDD_FLUXEL = 530;           // Fluxel rollout
inline constexpr int IDD_ABOUT = 531;            // About box of the skin modifier's page

// Accelerators, the About picture (RCDATA) and cursors.
inline constexpr int IDR_TESSARIN_ACCELERATORS = 508;
inline constexpr int IDR_ABOUT_PICTURE = 16;
inline constexpr int IDC_FIRST_CURSOR = 1258;
inline constexpr int IDC_BUSY_CURSOR = 1260;  // shown while bones are assigned
inline constexpr int IDC_LINK_CURSOR = 1266;  // over the About box's links
inline constexpr int IDC_LAST_CURSOR = 1266;

// Controls of the skin modifier's page (519).
inline constexpr int IDC_HELP_BUTTON = 1245;
inline constexpr int IDC_IMPORT_TSM = 1241;
inline constexpr int IDC_ABOUT_BUTTON = 1200;

// Check boxes of the skin's switches (510); use_orbicles names 1123, which the template lacks.
inline constexpr int IDC_USE_INERTIA = 1114;
inline constexpr int IDC_USE_OSCILLATION = 1115;
inline constexpr int IDC_USE_STACK = 1117;
inline constexpr int IDC_USE_ORBICLES = 1123;
inline constexpr int IDC_USE_FLUXELS = 1128;
inline constexpr int IDC_USE_DUAL_QUATERNION = 1234;
inline constexpr int IDC_USE_LINKED = 1231;

// Wobblex rollout (509): edit and spinner of each value, and the About button.
inline constexpr int IDC_DELAY_EDIT = 1074, IDC_DELAY_SPIN = 1075;
inline constexpr int IDC_SKID_EDIT = 1086, IDC_SKID_SPIN = 1097;
inline constexpr int IDC_AMPLITUDE_X_EDIT = 1077, IDC_AMPLITUDE_X_SPIN = 1076;
inline constexpr int IDC_PERIOD_X_EDIT = 1080, IDC_PERIOD_X_SPIN = 1078;
inline constexpr int IDC_SHIFT_X_EDIT = 1088, IDC_SHIFT_X_SPIN = 1081;
inline constexpr int IDC_THROBBING_X_EDIT = 1092, IDC_THROBBING_X_SPIN = 1090;
inline constexpr int IDC_AMPLITUDE_Y_EDIT = 1197, IDC_AMPLITUDE_Y_SPIN = 1210;
inline constexpr int IDC_PERIOD_Y_EDIT = 1202, IDC_PERIOD_Y_SPIN = 1211;
inline constexpr int IDC_SHIFT_Y_EDIT = 1212, IDC_SHIFT_Y_SPIN = 1213;
inline constexpr int IDC_THROBBING_Y_EDIT = 1214, IDC_THROBBING_Y_SPIN = 1215;
inline constexpr int IDC_AMPLITUDE_Z_EDIT = 1216, IDC_AMPLITUDE_Z_SPIN = 1217;
inline constexpr int IDC_PERIOD_Z_EDIT = 1218, IDC_PERIOD_Z_SPIN = 1219;
inline constexpr int IDC_SHIFT_Z_EDIT = 1220, IDC_SHIFT_Z_SPIN = 1221;
inline constexpr int IDC_THROBBING_Z_EDIT = 1222, IDC_THROBBING_Z_SPIN = 1223;
inline constexpr int IDC_WOBBLEX_ABOUT = 1079;

// Orbicle rollout (501).
inline constexpr int IDC_ORBICLE_DISABLED = 1167;
inline constexpr int IDC_ORBICLE_RENDERABLE = 1168;
inline constexpr int IDC_SEGMENTS_EDIT = 1002, IDC_SEGMENTS_SPIN = 1006;
inline constexpr int IDC_LENGTH_EDIT = 1141, IDC_LENGTH_SPIN = 1142;
inline constexpr int IDC_WIDTH_EDIT = 1143, IDC_WIDTH_SPIN = 1144;
inline constexpr int IDC_HEIGHT_EDIT = 1145, IDC_HEIGHT_SPIN = 1146;
inline constexpr int IDC_ORBICLE_OMNI = 1148, IDC_ORBICLE_FORWARD = 1149, IDC_ORBICLE_BACKWARD = 1152;
inline constexpr int IDC_ORBICLE_LEFT = 1150, IDC_ORBICLE_RIGHT = 1153;
inline constexpr int IDC_ORBICLE_UP = 1151, IDC_ORBICLE_DOWN = 1154;
inline constexpr int IDC_ORBICLE_BLEND_EDIT = 1004, IDC_ORBICLE_BLEND_SPIN = 1008;
inline constexpr int IDC_ORBICLE_PAINT = 1317, IDC_ORBICLE_OPTIONS = 1316, IDC_ORBICLE_ABOUT = 1147;

// Fluxel rollout (530); the direction radio buttons are 1156 (Omni) to 1162 (Down) in code order.
inline constexpr int IDC_FLUXEL_DISABLED = 1208;
inline constexpr int IDC_FLUXEL_ORIGIN = 1155;
inline constexpr int IDC_FLUXEL_OMNI = 1156, IDC_FLUXEL_FORWARD = 1157, IDC_FLUXEL_BACKWARD = 1158;
inline constexpr int IDC_FLUXEL_LEFT = 1159, IDC_FLUXEL_RIGHT = 1160;
inline constexpr int IDC_FLUXEL_UP = 1161, IDC_FLUXEL_DOWN = 1162;
inline constexpr int IDC_FLUXEL_BLEND_EDIT = 1163, IDC_FLUXEL_BLEND_SPIN = 1164;
inline constexpr int IDC_FLUXEL_PAINT = 1314, IDC_FLUXEL_OPTIONS = 1315, IDC_FLUXEL_ABOUT = 1166;
