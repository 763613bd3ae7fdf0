"""Reads dialog templates (DLGTEMPLATEEX) out of a compiled .res file."""
import struct


def _sz_or_ord(data, off):
    (first,) = struct.unpack_from('<H', data, off)
    if first == 0xFFFF:
        (value,) = struct.unpack_from('<H', data, off + 2)
        return value, off + 4
    end = off
    while struct.unpack_from('<H', data, end)[0] != 0:
        end += 2
    return data[off:end].decode('utf-16-le'), end + 2


def _align4(off):
    return (off + 3) & ~3


def resources(data):
    """Yields (type, name, language, payload) for each entry of a .res file."""
    off = 0
    while off + 8 <= len(data):
        size, header_size = struct.unpack_from('<II', data, off)
        p = off + 8
        rtype, p = _sz_or_ord(data, p)
        name, p = _sz_or_ord(data, p)
        p = _align4(p)
        _, _, language, _, _ = struct.unpack_from('<IHHII', data, p)
        payload = data[off + header_size: off + header_size + size]
        if size:
            yield rtype, name, language, payload
        off = _align4(off + header_size + size)


def parse_dialog(t):
    dlg_ver, signature, help_id, ex_style, style, count, x, y, cx, cy = struct.unpack_from('<HHIIIHhhhh', t, 0)
    assert (dlg_ver, signature) == (1, 0xFFFF), 'not an extended template'
    off = 26
    menu, off = _sz_or_ord(t, off)
    cls, off = _sz_or_ord(t, off)
    title, off = _sz_or_ord(t, off)
    point, weight, italic, charset = struct.unpack_from('<HHBB', t, off)
    off += 6
    face, off = _sz_or_ord(t, off)
    dialog = dict(style=style, ex_style=ex_style, x=x, y=y, cx=cx, cy=cy, menu=menu, cls=cls,
                  title=title, point=point, weight=weight, italic=italic, charset=charset,
                  face=face, controls=[])
    for _ in range(count):
        off = _align4(off)
        c_help, c_ex, c_style, cx_, cy_, cw, ch, cid = struct.unpack_from('<IIIhhhhi', t, off)
        off += 24
        c_cls, off = _sz_or_ord(t, off)
        c_title, off = _sz_or_ord(t, off)
        (extra,) = struct.unpack_from('<H', t, off)
        off += 2 + extra
        dialog['controls'].append(dict(id=cid, cls=c_cls, title=c_title, style=c_style, ex_style=c_ex,
                                       x=cx_, y=cy_, cx=cw, cy=ch))
    return dialog
