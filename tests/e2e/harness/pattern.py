"""The test target's picture: 4x4-pixel cells whose colours depend on their
screen position only. Knowing the colour of every cell, a picture of the
screen tells which cell each pixel shows, and so how much it is magnified."""

CELL = 4
MASK = 0xFFFFFFFF


def cell_colour(cx, cy):
    """(r, g, b) of the cell in column cx and row cy of the screen; the
    same hash as LoupaTestTarget."""
    h = ((cx * 73856093) & MASK) ^ ((cy * 19349663) & MASK)
    h ^= h >> 13
    h = (h * 0x5BD1E995) & MASK
    h ^= h >> 15
    return (h & 0xFF, (h >> 8) & 0xFF, (h >> 16) & 0xFF)


def colour_at(x, y):
    """(r, g, b) the target shows at screen point (x, y), x, y >= 0."""
    return cell_colour(x // CELL, y // CELL)


def cells_by_colour(rect):
    """{colour: (cx, cy)} for the cells of a screen rectangle (left, top,
    right, bottom). Colours are 24-bit hashes: two cells of one small area
    practically never share one, and one that is shared is left out."""
    left, top, right, bottom = rect
    found, shared = {}, set()
    for cy in range(top // CELL, (bottom + CELL - 1) // CELL):
        for cx in range(left // CELL, (right + CELL - 1) // CELL):
            colour = cell_colour(cx, cy)
            if colour in found:
                shared.add(colour)
            found[colour] = (cx, cy)
    for colour in shared:
        del found[colour]
    return found


def picture(rect, scale=1.0, origin=(0, 0)):
    """The pattern of screen rect magnified by scale about origin (a screen
    point that stays in place), as rows of (r, g, b): what a zoom shows."""
    left, top, right, bottom = rect
    ox, oy = origin
    rows = []
    for y in range(top, bottom):
        sy = int(oy + (y - oy) / scale)
        rows.append([colour_at(int(ox + (x - ox) / scale), sy) for x in range(left, right)])
    return rows


def scale_along_row(pixel, y, x_from, x_to, cells):
    """The magnification shown along row y between x_from and x_to.

    pixel(x, y) gives a colour; cells is cells_by_colour() of the area the
    row may show. Each place where the row passes from one cell to the next
    one on its right marks a cell border; the distance between the first and
    the last border over the cells between them is 4 times the scale. None
    when the row shows fewer than two borders of known cells."""
    borders = []
    previous = None
    for x in range(x_from, x_to):
        cell = cells.get(pixel(x, y))
        if cell is not None and previous is not None and cell == (previous[0] + 1, previous[1]):
            borders.append((x, cell[0]))
        previous = cell
    if len(borders) < 2:
        return None
    (x_a, cx_a), (x_b, cx_b) = borders[0], borders[-1]
    return (x_b - x_a) / (CELL * (cx_b - cx_a))
