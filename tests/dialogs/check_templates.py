#!/usr/bin/env python3
"""Compiles the dialog script with windres and checks both templates control by control."""
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import dlgres  # noqa: E402

WS_POPUP, WS_CHILD, WS_VISIBLE, WS_DISABLED = 0x80000000, 0x40000000, 0x10000000, 0x08000000
WS_CAPTION, WS_BORDER, WS_GROUP, WS_TABSTOP = 0x00C00000, 0x00800000, 0x00020000, 0x00010000
DS_MODALFRAME, DS_SETFONT, DS_FIXEDSYS = 0x80, 0x40, 0x08
BS_DEFPUSHBUTTON, BS_AUTOCHECKBOX, BS_GROUPBOX, BS_AUTORADIOBUTTON, BS_FLAT = 1, 3, 7, 9, 0x8000
ES_CENTER, ES_AUTOHSCROLL, ES_READONLY, ES_NUMBER = 0x1, 0x80, 0x800, 0x2000
SS_LEFT = 0
UDS_SETBUDDYINT, UDS_ARROWKEYS = 0x2, 0x20
WS_EX_RIGHT, WS_EX_STATICEDGE = 0x1000, 0x20000

BASE = WS_CHILD | WS_VISIBLE
RADIO_FIRST = BS_AUTORADIOBUTTON | BS_FLAT | WS_GROUP | WS_TABSTOP
RADIO = BS_AUTORADIOBUTTON | BS_FLAT | WS_TABSTOP
GROUP = BS_GROUPBOX | BS_FLAT
LABEL = SS_LEFT | WS_GROUP
EDIT_OFF = ES_NUMBER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | WS_DISABLED
SPIN_OFF = UDS_SETBUDDYINT | UDS_ARROWKEYS | WS_DISABLED

SETTINGS = [
    (1024, 'BUTTON', 'Chapter指定', BS_AUTOCHECKBOX | WS_TABSTOP | WS_DISABLED, 0, (34, 22, 58, 10)),
    (1025, 'EDIT', '', EDIT_OFF, WS_EX_RIGHT, (92, 19, 25, 15)),
    (1006, 'EDIT', '', EDIT_OFF, WS_EX_RIGHT, (56, 42, 30, 14)),
    (1007, 'EDIT', '', EDIT_OFF, WS_EX_RIGHT, (115, 42, 30, 14)),
    (1001, 'BUTTON', 'ランダム', RADIO_FIRST, 0, (16, 86, 40, 10)),
    (1002, 'BUTTON', '順序どおり', RADIO, 0, (65, 86, 50, 10)),
    (1020, 'BUTTON', 'チェック済', RADIO, 0, (124, 86, 45, 10)),
    (1003, 'BUTTON', '日本語のみ', RADIO_FIRST, 0, (16, 115, 50, 10)),
    (1004, 'BUTTON', '音声のみ', RADIO, 0, (69, 115, 44, 10)),
    (1005, 'BUTTON', '音声と日本語', RADIO, 0, (116, 115, 57, 10)),
    (1015, 'BUTTON', '自然訳', RADIO_FIRST, 0, (21, 144, 40, 10)),
    (1027, 'BUTTON', '読み下し訳', RADIO, 0, (71, 144, 53, 10)),
    (1018, 'EDIT', '', ES_NUMBER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, WS_EX_RIGHT, (217, 20, 30, 14)),
    (1008, 'BUTTON', 'スロー', RADIO_FIRST, 0, (200, 55, 35, 10)),
    (1009, 'BUTTON', 'ナチュラル', RADIO, 0, (250, 55, 46, 10)),
    (1010, 'BUTTON', 'なし', RADIO_FIRST, 0, (200, 81, 29, 10)),
    (1011, 'BUTTON', '標準', RADIO, 0, (250, 81, 32, 10)),
    (1021, 'BUTTON', 'ぽっ', RADIO, 0, (300, 81, 28, 10)),
    (1022, 'BUTTON', 'なし', RADIO_FIRST, 0, (200, 109, 29, 10)),
    (1023, 'BUTTON', '標準', RADIO, 0, (250, 109, 32, 10)),
    (1012, 'BUTTON', 'にゃー', RADIO, 0, (300, 109, 34, 10)),
    (1013, 'BUTTON', '表示', RADIO_FIRST, 0, (200, 136, 32, 10)),
    (1014, 'BUTTON', '非表示', RADIO, 0, (250, 136, 40, 10)),
    (1, 'BUTTON', '[Enter] 設定完了', BS_DEFPUSHBUTTON | BS_FLAT | WS_GROUP | WS_TABSTOP, 0, (186, 158, 170, 18)),
    (-1, 'BUTTON', '再生順序', GROUP, 0, (7, 76, 170, 25)),
    (-1, 'BUTTON', '範囲', GROUP, 0, (7, 4, 170, 68)),
    (1016, 'msctls_updown32', '', SPIN_OFF, 0, (86, 42, 12, 14)),
    (1017, 'msctls_updown32', '', SPIN_OFF, 0, (145, 42, 12, 14)),
    (-1, 'STATIC', 'Lesson', LABEL, 0, (28, 44, 23, 8)),
    (-1, 'STATIC', '（デモ版では 1-4 で固定です）', LABEL, 0, (63, 60, 94, 8)),
    (-1, 'BUTTON', '表示／音声', GROUP, 0, (7, 104, 170, 26)),
    (-1, 'BUTTON', '再生スピード', GROUP, 0, (186, 43, 170, 24)),
    (-1, 'BUTTON', 'タイプ音', GROUP, 0, (186, 69, 170, 26)),
    (-1, 'BUTTON', '自動表示', GROUP, 0, (186, 7, 170, 34)),
    (-1, 'STATIC', '秒\u3000（0で自動表示なし）', LABEL, 0, (261, 23, 79, 8)),
    (-1, 'STATIC', '\uff0d', LABEL, 0, (102, 44, 9, 8)),
    (1019, 'msctls_updown32', '', UDS_SETBUDDYINT | UDS_ARROWKEYS, 0, (247, 20, 9, 14)),
    (-1, 'BUTTON', 'タイプミス音', GROUP, 0, (186, 99, 170, 23)),
    (1026, 'msctls_updown32', '', SPIN_OFF, 0, (118, 19, 11, 14)),
    (-1, 'STATIC', '(1-20)', LABEL, 0, (134, 22, 21, 8)),
    (-1, 'BUTTON', 'タイマー', GROUP, 0, (186, 125, 170, 25)),
    (-1, 'BUTTON', '日本語表示', GROUP, 0, (7, 133, 170, 25)),
]

SIZES = [17, 13, 29, 13, 20, 32, 20, 18, 24, 24, 7, 20, 18, 26, 29, 21, 24, 11, 28, 25]
EDIT_IDS = list(range(1027, 1043)) + list(range(1044, 1048))
COUNT = ES_READONLY | ES_CENTER | ES_AUTOHSCROLL


def chapter_label(c):
    left = c <= 11
    row = c - 1 if left else c - 12
    pos = (17, 13 + 14 * row, 53, 10) if left else (122, 13 + 14 * row, 59, 10)
    return (-1, 'STATIC', f'Chapter {c} ({SIZES[c - 1]})', LABEL, 0, pos)


def chapter_edit(c):
    left = c <= 11
    row = c - 1 if left else c - 12
    pos = (76, 13 + 14 * row, 28, 12) if left else (186, 13 + 14 * row, 28, 12)
    return (EDIT_IDS[c - 1], 'EDIT', '', COUNT, WS_EX_STATICEDGE, pos)


PROGRESS = ([(1, 'BUTTON', '[Enter] 閉じる', BS_DEFPUSHBUTTON | BS_FLAT | WS_TABSTOP, 0, (119, 180, 108, 14))]
            + [chapter_label(c) for c in range(1, 17)]
            + [(-1, 'STATIC', '       ALL      (419)', LABEL, 0, (122, 153, 59, 10))]
            + [chapter_edit(c) for c in range(1, 17)]
            + [(1043, 'EDIT', '', COUNT, WS_EX_STATICEDGE, (186, 153, 28, 12))]
            + [chapter_label(c) for c in range(17, 21)]
            + [chapter_edit(c) for c in range(17, 21)])

DIALOGS = {
    103: dict(style=WS_POPUP | WS_CAPTION | DS_SETFONT | DS_FIXEDSYS, size=(363, 183), title='設定',
              controls=SETTINGS),
    124: dict(style=WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS, size=(234, 201),
              title='進度集計', controls=PROGRESS),
}


def compile_res(resources_dir):
    with tempfile.TemporaryDirectory() as tmp:
        rc = os.path.join(tmp, 'only_dialogs.rc')
        with open(rc, 'w', encoding='utf-8') as f:
            f.write('#include <windows.h>\n#include <commctrl.h>\n#include "resource_ids.h"\n'
                    'LANGUAGE 0x11, 0x1\n#include "dialogs.rc"\n')
        out = os.path.join(tmp, 'dialogs.res')
        subprocess.run(['x86_64-w64-mingw32-windres', '-c', '65001', '-I', resources_dir, rc,
                        '-O', 'res', '-o', out], check=True)
        with open(out, 'rb') as f:
            return f.read()


def main():
    resources_dir = sys.argv[1]
    failures = []
    found = {}
    for rtype, name, language, payload in dlgres.resources(compile_res(resources_dir)):
        if rtype == 5:
            found[name] = (language, dlgres.parse_dialog(payload))
    for dialog_id, want in DIALOGS.items():
        if dialog_id not in found:
            failures.append(f'dialog {dialog_id} missing')
            continue
        language, got = found[dialog_id]
        checks = [
            ('language', language, 0x411), ('style', got['style'], want['style']),
            ('ex_style', got['ex_style'], 0), ('position', (got['x'], got['y']), (0, 0)),
            ('size', (got['cx'], got['cy']), want['size']), ('title', got['title'], want['title']),
            ('menu', got['menu'], ''), ('class', got['cls'], ''),
            ('font', (got['face'], got['point'], got['weight'], got['italic'], got['charset']),
             ('MS Shell Dlg', 8, 400, 0, 1)),
            ('control count', len(got['controls']), len(want['controls'])),
        ]
        for what, actual, expected in checks:
            if actual != expected:
                failures.append(f'dialog {dialog_id} {what}: {actual!r} != {expected!r}')
        for i, (c, w) in enumerate(zip(got['controls'], want['controls'])):
            wid, wcls, wtitle, wstyle, wex, (x, y, cx, cy) = w
            actual = (c['id'], c['cls'].upper() if isinstance(c['cls'], str) else c['cls'], c['title'],
                      hex(c['style']), hex(c['ex_style']), (c['x'], c['y'], c['cx'], c['cy']))
            expected = (wid, wcls.upper(), wtitle, hex(BASE | wstyle), hex(wex), (x, y, cx, cy))
            if actual != expected:
                failures.append(f'dialog {dialog_id} control #{i + 1}: {actual} != {expected}')
    for f in failures:
        print(f)
    print(f'{len(failures)} mismatches')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
