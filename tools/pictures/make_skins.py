#!/usr/bin/env python3
"""Writes the three skin sections resources/skins/org1.ini .. org3.ini.

    python3 tools/pictures/make_skins.py            # from the repository root

The layout is for the 1030 x 662 window: a title bar with the language, minimise and close buttons,
a navigation column on the left and the page area on the right. The pictures drawn by
tools/pictures/generate_pictures.cpp follow the same geometry (cards, the mouse on the key page and its
call-out lines, which it takes from the Key<n> positions of these files), so regenerate the pictures
after changing a position here.

The three looks differ in their accent colour and in the buttons of the mouse they show:
org1 six key labels, org2 seven, org3 nine.
"""

import os
import sys

ACCENT = {1: (235, 64, 80), 2: (40, 200, 230), 3: (255, 170, 40)}
TEXT = (222, 226, 234)
DIM = (150, 158, 172)
WHITE = (255, 255, 255)
EDIT_BACK = (24, 27, 33)
BORDER = (70, 77, 90)
PANEL = (30, 34, 41)
DARK_TEXT = (30, 32, 38)


class Section:
    def __init__(self, look):
        self.look = look
        self.lines = []
        self.keys = set()

    def comment(self, text):
        self.lines.append("")
        self.lines.append("; " + text)

    def put(self, key, value):
        if key.lower() in self.keys:
            raise SystemExit("duplicate key " + key)
        self.keys.add(key.lower())
        self.lines.append("%s=%d" % (key, value))

    def xy(self, prefix, x, y):
        self.put(prefix + "_X", x)
        self.put(prefix + "_Y", y)

    def colour(self, family, rgb):
        for part, value in zip("RGB", rgb):
            self.put("%s_%s" % (family, part), value)

    def label(self, base, x, y, width, size=9, rgb=TEXT, parts="xywsc"):
        if "x" in parts:
            self.put(base + "_Lable_X", x)
        if "y" in parts:
            self.put(base + "_Lable_Y", y)
        if "w" in parts:
            self.put(base + "_Lable_Width", width)
        if "s" in parts:
            self.put(base + "_Lable_Size", size)
        if "c" in parts:
            self.colour(base + "_Lable", rgb)


# Geometry shared with the picture generator.
CONTENT_X, CONTENT_Y = 158, 64
P_PAGE = (163, 70)      # performance, lighting and macro page pictures (850 x 374)
P_KEYS = (248, 68)      # key page picture (680 x 380)
P_UPDATE = (318, 96)    # update picture (540 x 102)
P_GUN = (228, 6)        # gun page picture (720 x 650)
BAND_Y = 456            # the band under the page pictures

# Key page: which slots each look shows, by column, top to bottom; Key<i> index of each slot.
INDEX_OF_SLOT = {1: 1, 4: 2, 7: 3, 2: 4, 5: 5, 8: 6, 3: 7, 6: 8, 9: 9, 10: 10, 11: 11, 12: 12}
KEY_COLUMNS = {
    1: ([1, 5, 2], [4, 7, 8]),
    2: ([1, 3, 5, 2], [4, 7, 8]),
    3: ([1, 3, 5, 2, 6], [4, 7, 8, 9]),
}
KEY_LEFT_X, KEY_RIGHT_X = P_KEYS[0] + 20, P_KEYS[0] + 510
KEY_CENTRE_Y, KEY_PITCH = P_KEYS[1] + 190, 62


def write_section(look):
    s = Section(look)
    accent = ACCENT[look]
    s.lines.append("; Skin of look %d: positions, sizes and colours of the window's controls." % look)
    s.lines.append("; Written by tools/pictures/make_skins.py; change it there and regenerate.")
    s.lines.append("[org%d]" % look)

    s.comment("Text sizes of the regions (A window buttons, B page buttons, C key page, D performance,")
    s.lines.append("; E lighting, F macros, G menus, I update, J gun page, K/L/M dialogs)")
    for g, size in zip("ABCDEFGIJKLM", [9, 10, 9, 9, 9, 9, 9, 10, 9, 9, 9, 9]):
        s.put("Size_" + g, size)
    s.comment("Text colours of the regions")
    for g in "ABCDEFGIJKLM":
        s.colour("Color_" + g, WHITE if g in "AB" else TEXT)

    s.comment("Region colours: DPI levels, edit boxes, menus, macro lists, gun page, dialogs, sliders")
    s.colour("Color_D_Selected", WHITE)
    s.colour("Color_D_notSelected", (92, 99, 112))
    s.colour("Color_D_Back", EDIT_BACK)
    s.colour("Color_D_Border", BORDER)
    s.colour("Color_G_Back", PANEL)
    s.colour("Color_G_Border", BORDER)
    s.colour("Color_G_SF", WHITE)
    s.colour("Color_G_SP", accent)
    s.colour("Color_F_LBack", (20, 23, 28))
    s.colour("Color_F_LBorder", BORDER)
    s.colour("Color_F_Font", TEXT)
    s.colour("Color_F_Back", PANEL)
    s.colour("Color_F_I", accent)
    s.colour("Color_MACRO", accent)
    s.colour("Color_J_Font", TEXT)
    s.colour("Color_J_Back", EDIT_BACK)
    s.colour("Color_J_Border", BORDER)
    s.colour("Color_K_AK", DARK_TEXT)
    s.colour("Color_L_MN", DARK_TEXT)
    s.colour("Color_M_MN", DARK_TEXT)
    s.colour("Color_BG_Slider", (34, 38, 46))

    s.comment("Window buttons: confirm (factory settings) 1-3, exit, minimise")
    for key, (x, y) in [("Btn_A2", (25, 470)), ("Btn_A3", (25, 506)), ("Btn_A5", (25, 542)),
                        ("Btn_A4", (996, 18)), ("Btn_A6", (968, 18))]:
        s.put(key + "_Enable", 1)
        s.xy(key, x, y)

    s.comment("Page and setting buttons: profiles 1-3, performance, lighting, save, load, languages 1-3,")
    s.lines.append("; macros, update, engineering; the label is inset by Btn_Space_F on the left and Btn_Space_B on the right")
    s.put("Btn_Space_F", 8)
    s.put("Btn_Space_B", 4)
    nav = {"Btn_B1": 80, "Btn_B2": 116, "Btn_B3": 152, "Btn_B4": 204, "Btn_B5": 240, "Btn_B11": 276,
           "Btn_B12": 312, "Btn_B6": 364, "Btn_B7": 400}
    for key in ["Btn_B%d" % n for n in range(1, 13)]:
        s.put(key + "_Enable", 1)
        if key in nav:
            s.xy(key, 20, nav[key])
        else:
            s.xy(key, {"Btn_B8": 604, "Btn_B9": 721, "Btn_B10": 838}[key], 13)
    # The engineering page's button, in the title bar before the languages: hidden from the user;
    # krmconfig --engineering shows it here (a product build may enable it).
    s.put("Btn_B13_Enable", 0)
    s.xy("Btn_B13", 487, 13)

    s.comment("Page pictures: key page, performance, lighting, macros, update, gun page")
    for n, (x, y) in enumerate([P_KEYS, P_PAGE, P_PAGE, P_PAGE, P_UPDATE, P_GUN], start=1):
        s.xy("P%d" % n, x, y)

    s.comment("Key page: the twelve button-function labels (Key<i> places the label of slot 1,4,7,2,5,8,3,6,9,10,11,12)")
    s.put("Key_Width", 150)
    placed = {}
    for column, x in zip(KEY_COLUMNS[look], (KEY_LEFT_X, KEY_RIGHT_X)):
        top = KEY_CENTRE_Y - (len(column) - 1) * KEY_PITCH // 2 - 15
        for row, slot in enumerate(column):
            placed[INDEX_OF_SLOT[slot]] = (x, top + row * KEY_PITCH)
    for i in range(1, 13):
        if i in placed:
            s.put("Key%d_Enable" % i, 1)
            s.xy("Key%d" % i, *placed[i])
        else:
            s.put("Key%d_Enable" % i, 0)
            s.xy("Key%d" % i, 9400, 0)

    s.comment("Mode-switch options: check box positions, label width, font size and offset from the box")
    s.put("Combox_Width", 380)
    s.put("Combox_Font_Size", 9)
    s.put("ComboxKey_X_Offset", 24)
    s.put("ComboxKey_Y_Offset", -2)
    for n in range(1, 9):
        column, row = divmod(n - 1, 4)
        s.put("ComboKey%d_Enable" % n, 1)
        s.xy("ComboKey%d" % n, 184 + column * 420, BAND_Y + 40 + row * 30)

    s.comment("Assignment menus: widths of the first, second and third level")
    s.put("M_L_W", 190)
    s.put("SP_L_W", 200)
    s.put("O_L_W", 180)

    performance(s, accent)
    lighting(s, accent)
    macros(s, accent)
    update(s, accent)
    gun(s, accent)
    dialogs(s, accent)
    return s


def performance(s, accent):
    s.comment("Performance page: DPI levels (cards of the page picture: DPI 175-675, pointer 687-1001)")
    s.label("DPI_Setting", 189, 86, 240, 11, accent)
    s.label("DPI_Count", 470, 88, 90, 9, DIM)
    s.xy("DPI_Count", 566, 86)
    s.label("DPI_Value", 553, 112, 64, 9, DIM)
    s.label("DPI_Note", 189, 112, 300, 9, DIM)
    s.put("DPI_Orientation", 1)
    for n in range(1, 9):
        y = 136 + (n - 1) * 29
        s.xy("DPI%d_Check" % n, 187, y + 4)
        s.xy("DPI%d" % n, 209, y + 2)
        s.xy("DPI%d_Value" % n, 553, y + 2)
        s.xy("DPI%d_Steps" % n, 276, y + 4)
        s.put("DPI%d_Steps_D" % n, 3)
        s.xy("DPI%d_Color" % n, 630, y + 3)
    y = 136 + 8 * 29 + 10
    s.xy("AIMDPI", 209, y + 2)
    s.xy("AIMDPI_Value", 553, y + 2)
    s.xy("AIMDPI_Steps", 276, y + 4)
    s.put("AIMDPI_Steps_D", 3)

    s.comment("Performance page: report rate and pointer settings")
    s.label("Rating_Setting", 701, 86, 280, 11, accent)
    # Room for the widest caption, "1000 赫兹" of table 2, inside the card.
    for k in range(1, 5):
        x = 703 + (k - 1) * 73
        s.xy("Rep%d" % k, x, 121)
        s.label("Rating_Value_%d" % k, x + 17, 118, 56)
    bars = [("Spd", "Mouse_Speed", 148), ("DbSpd", "Mouse_Double_Click", 240), ("ScrSpd", "Mouse_Roller_Speed", 306)]
    for key, label, y in bars:
        s.label(label, 701, y, 280, 9, DIM)
        s.xy(key, 701, y + 20)
        s.put(key + "_D", 0)
    s.xy("IsControl", 703, 215)
    s.label("Mouse_IsControl", 725, 212, 260)
    s.xy("IsScreen", 703, 375)
    s.label("Mouse_Roll_All_Screen", 725, 372, 260)

    s.comment("Performance page: fire keys (under the page picture)")
    s.label("Fire_Key", 175, BAND_Y + 6, 240, 11, accent)
    s.label("Fire_Key_Count", 300, BAND_Y + 40, 80, 9, DIM)
    s.label("Fire_Key_Time", 396, BAND_Y + 40, 96, 9, DIM)
    s.label("Fire_Key_Continue", 508, BAND_Y + 40, 120, 9, DIM)
    for k in range(1, 4):
        y = BAND_Y + 66 + (k - 1) * 34
        s.label("Fire_Key%d" % k, 189, y + 2, 100)
        s.xy("FK%dCnt" % k, 300, y)
        s.xy("FK%dDelay" % k, 396, y)
        s.xy("FK%dContinue" % k, 512, y + 3)


def lighting(s, accent):
    s.comment("Lighting page: modes (two layouts), brightness, speed and colours")
    s.label("LED_Mode", 189, 86, 260, 11, accent)
    s.label("LED_Mode_Option", 0, 0, 0, 10, TEXT, parts="sc")
    for k in range(1, 8):
        y = 124 + (k - 1) * 32
        s.xy("LEDMode%d" % k, 191, y + 3)
        s.label("LED_Mode_%d" % k, 214, y, 240, parts="xyw")
    for k in range(1, 8):
        column, row = divmod(k - 1, 4)
        x, y = 191 + column * 140, 124 + row * 40
        s.xy("LEDMode%d_R230" % k, x, y + 3)
        s.label("LED_Mode_%d_R230" % k, x + 23, y, 110, parts="xyw")
    s.label("LED_Light", 189, 350, 260, 9, DIM)
    s.xy("LED3Control", 191, 387)
    s.label("LED_Mode_Light_All", 214, 384, 100, 9, TEXT)
    s.xy("LED6Control", 331, 387)
    s.label("LED_Mode_Light_Half", 354, 384, 100, 9, TEXT)

    s.label("LED_Effect_Setting", 501, 86, 300, 11, accent)
    s.label("LED_Effect_Slow", 501, 132, 50, 9, DIM)
    s.xy("StepTime", 556, 132)
    s.put("StepTime_D", 4)
    s.put("StepTime_Width", 296)
    s.label("LED_Effect_Fast", 864, 132, 60, 9, DIM)

    # The colour table: two rows of five swatches (the page picture numbers them).
    s.label("LED_Color", 501, 212, 300, 11, accent)
    s.label("LED_Color_Option", 501, 240, 300, 9, DIM)
    for k in range(1, 11):
        row, column = divmod(k - 1, 5)
        s.label("LED_Color_%d" % k, 540 + column * 96, 276 + row * 74, 18, parts="xyw")


def macros(s, accent):
    s.comment("Macro page: lists, buttons, the delay box and the insert box")
    s.put("MacroNameHeight", 22)
    s.put("Edit_PCMarco_Width", 200)
    s.label("Marco_List", 189, 86, 240, 11, accent)
    s.label("Marco_Content", 471, 86, 240, 11, accent)
    s.label("Marco_Mouse_List", 763, 86, 220, 11, accent)
    for key, x, w in [("PCMacroName", 189, 242), ("MacroContent", 471, 252), ("MseMacroName", 763, 224)]:
        s.xy(key, x, 118)
        s.put(key + "_H", 264)
        s.put(key + "_W", w)
    s.xy("BtnNew", 189, 396)
    s.xy("BtnDelete", 293, 396)
    s.xy("BtnStart", 471, 396)
    s.xy("BtnAddMouse", 763, 396)
    s.xy("BtnDeleteMouse", 867, 396)

    # The delay box sits under the lists; its controls are placed relative to it.
    s.xy("DelayTime", 175, BAND_Y + 6)
    s.xy("RecDelay", 14, 17)
    s.label("Marco_Record_Delay", 36, 14, 200)
    s.xy("DelaySetting", 14, 51)
    s.label("Marco_Delay_Setting", 36, 48, 100)
    s.xy("DelayEdit", 140, 46)
    s.label("Marco_MS", 202, 48, 30)
    s.xy("NoDelay", 14, 85)
    s.label("Marco_No_Delay", 36, 82, 200)
    s.xy("ReleaseStopEnter", 290, 17)
    s.label("Marco_Stop_Enter", 312, 14, 240)
    s.xy("ReleaseStopCount", 290, 51)
    s.label("Marco_Stop_Count", 312, 48, 180)
    s.xy("EditStopCount", 500, 46)
    if s.look == 3:
        s.label("Marco_Stop_Release", 312, 82, 250, 9, DIM)
        s.label("Marco_Stop_Over", 312, 110, 250, 9, DIM)

    s.xy("Insert", 175, BAND_Y + 6)
    s.xy("InsertList", 10, 10)
    s.xy("InsertRecDelay", 12, 46)
    s.put("InsertRecDelay_D", 24)
    s.xy("InsertDelayEdit", 110, 50)
    s.xy("InsertAxisEdit", 110, 46)
    s.xy("InsertBtnStart", 8, 130)
    s.xy("InsertBtnOK", 102, 130)
    s.xy("InsertBtnCancel", 154, 130)


def update(s, accent):
    s.comment("Update page")
    s.xy("lbl_LoadBin", 318, 222)
    s.xy("lbl_BINPath", 318, 252)
    s.xy("Btn_LoadBin", 318, 296)
    s.xy("Btn_Program", 708, 296)


def gun(s, accent):
    s.comment("Gun page: seven gun buttons, stage pictures, the stage table, keep-left, confirm and cancel")
    for g in range(1, 8):
        if g <= 4:
            x, y = 258 + (g - 1) * 170, 42
        else:
            x, y = 343 + (g - 5) * 170, 112
        s.xy("Fire%d" % g, x, y)
    columns = ["Count", "X", "X_Offset", "Y", "Y_Offset", "Time", "Color"]
    column_x = {name: 330 + i * 80 for i, name in enumerate(columns)}
    rows = [262, 342, 422]
    for k, (row, size) in enumerate([(0, 42), (1, 52), (0, 42), (1, 52), (2, 62)], start=1):
        centre = rows[row] + 11
        s.xy("GunMode%d" % k, 288 - size // 2, centre - size // 2)
    for stage, y in enumerate(rows, start=1):
        s.xy("FireCnt%d" % stage, column_x["Count"] + 8, y)
        s.xy("FireX%d" % stage, column_x["X"] + 8, y)
        s.xy("FireX%d_Offset" % stage, column_x["X_Offset"] + 8, y)
        s.xy("FireY%d" % stage, column_x["Y"] + 8, y)
        s.xy("FireY%d_Offset" % stage, column_x["Y_Offset"] + 8, y)
        s.xy("FireTime%d" % stage, column_x["Time"] + 8, y)
        s.xy("FireColor%d" % stage, column_x["Color"] + 29, y + 2)
    header_y = 214
    s.label("Gun_Marco_Fire_Count", column_x["Count"], header_y, 76, 9, DIM)
    s.label("Gun_Marco_Fire_X", column_x["X"], header_y, 76, 9, DIM)
    s.label("Gun_Marco_X_Offset", column_x["X_Offset"], header_y, 76, 9, DIM)
    s.label("Gun_Marco_Fire_Y", column_x["Y"], header_y, 76, 9, DIM)
    s.label("Gun_Marco_Y_Offset", column_x["Y_Offset"], header_y, 76, 9, DIM)
    s.label("Gun_Marco_Fire_Delay", column_x["Time"], header_y, 76, 9, DIM)
    s.label("Gun_Marco_Color", column_x["Color"], header_y, 76, 9, DIM)
    s.xy("IsHasLK", 330, 505)
    s.label("Gun_Marco_Keep_Left", 352, 502, 400)
    s.xy("FireConfirm", 477, 584)
    s.xy("FireCancel", 598, 584)


def dialogs(s, accent):
    s.comment("Key-combination dialog (530 x 200): title, key box, Ctrl/Shift/Alt/Win, confirm, clear, close")
    s.xy("AKT", 24, 14)
    s.xy("AKC", 40, 58)
    s.put("AKC_W", 450)
    for key, x in [("MK_C", 60), ("MK_S", 170), ("MK_A", 280), ("MK_W", 390)]:
        s.xy(key, x, 104)
    s.xy("AK_Cfm", 153, 150)
    s.xy("AK_Clear", 276, 150)
    s.xy("AK_Close", 498, 12)
    s.comment("Value dialogs: title, value box, confirm, clear, close")
    s.xy("MNT", 24, 14)
    s.xy("MNC", 40, 74)
    s.put("MNC_W", 450)
    s.xy("MN_Cfm", 153, 150)
    s.xy("MN_Clear", 276, 150)
    s.xy("MN_Close", 498, 12)
    s.comment("X/Y dialog: captions and value boxes (its buttons are the value dialogs')")
    s.xy("NewX", 60, 56)
    s.xy("NewXVal", 200, 56)
    s.put("NewXVal_W", 260)
    s.xy("NewY", 60, 98)
    s.xy("NewYVal", 200, 98)
    s.put("NewYVal_W", 260)
    s.xy("NewXY_Cfm", 153, 150)
    s.xy("NewXY_Clear", 276, 150)
    s.xy("NewXY_Close", 498, 12)


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
    out = os.path.join(root, "resources", "skins")
    os.makedirs(out, exist_ok=True)
    for look in (1, 2, 3):
        section = write_section(look)
        text = "\r\n".join(section.lines) + "\r\n"
        path = os.path.join(out, "org%d.ini" % look)
        with open(path + ".tmp", "wb") as f:
            f.write(text.encode("ascii"))
        os.replace(path + ".tmp", path)
        print("%s: %d keys" % (path, len(section.keys)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
