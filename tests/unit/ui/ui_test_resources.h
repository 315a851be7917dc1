// Resources of the ui unit tests, made by make_test_images.py. The ids stay
// clear of the installer's own resources, which the tests carry too.
#ifndef LITE_TESTS_UNIT_UI_UI_TEST_RESOURCES_H_
#define LITE_TESTS_UNIT_UI_UI_TEST_RESOURCES_H_

// 7 x 5, opaque red.
#define IDR_TEST_NORMAL 9001
// 14 x 10, opaque blue: the high-resolution variant of IDR_TEST_NORMAL.
#define IDR_TEST_HIGH_RESOLUTION 9002
// 8 x 2: columns 0-1 red, 2-3 green, 4-5 blue, 6-7 white.
#define IDR_TEST_COLUMNS 9003
// Bytes that no decoder takes.
#define IDR_TEST_NOT_AN_IMAGE 9004
// 20 x 12: pixel (x, y) is RGB(10 * x, 20 * y, 128), opaque.
#define IDR_TEST_POSITIONS 9005
// 4 x 4 each, opaque, in the colours of kPieceColours (ui_test_support.h);
// the last one is half transparent.
#define IDR_TEST_PIECE_FIRST 9010
#define IDR_TEST_PIECE_COUNT 8
// A strip of six 8 x 8 frames, frame i in kFrameColours[i].
#define IDR_TEST_SIX_FRAMES 9020
// A strip of three 10 x 6 frames, frame i in kFrameColours[i].
#define IDR_TEST_THREE_FRAMES 9021
// 40 x 6 opaque green and 40 x 6 opaque red.
#define IDR_TEST_BAR_FILLED 9030
#define IDR_TEST_BAR_EMPTY 9031
// Icon group with 16, 32 and 48 pixel images.
#define IDI_TEST_ICON 9100
// A small dialog with one push button (id 1) and a static (id 100).
#define IDD_TEST_DIALOG 9200
// An English string, "Text from the table"; the next id has none.
#define IDS_TEST_STRING 9300
#define IDS_TEST_MISSING_STRING 9301

#endif  // LITE_TESTS_UNIT_UI_UI_TEST_RESOURCES_H_
