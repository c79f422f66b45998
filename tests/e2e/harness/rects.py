"""Screen rectangles as (left, top, right, bottom) tuples, right and bottom
exclusive."""


def size(rect):
    return rect[2] - rect[0], rect[3] - rect[1]


def offset(rect, dx, dy):
    return (rect[0] + dx, rect[1] + dy, rect[2] + dx, rect[3] + dy)


def intersect(a, b):
    """The rectangle both cover; None when they do not meet."""
    left, top = max(a[0], b[0]), max(a[1], b[1])
    right, bottom = min(a[2], b[2]), min(a[3], b[3])
    return (left, top, right, bottom) if left < right and top < bottom else None
