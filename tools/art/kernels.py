"""The golden kernel and the popped pieces, drawn procedurally.

Everything is drawn as a height field over a supersampled pixel grid, lit by
one light from the upper left, then averaged down to whole pixels.  A pixel
belongs to the image when at least half of its samples are inside the shape;
its colour is the average of the inside samples, darkened a little by the
uncovered part so that edges blend into the black screen.

All randomness comes from numpy Generators seeded by the caller.
"""

import math

import numpy as np

LIGHT = np.array([-0.55, -0.75, 0.95])
LIGHT = LIGHT / np.linalg.norm(LIGHT)
VIEW = np.array([0.0, 0.0, 1.0])
HALF = (LIGHT + VIEW) / np.linalg.norm(LIGHT + VIEW)


class Waves:
    """Smooth 2-D noise as a sum of plane waves: cheap, seedable, evaluable at
    any coordinate, which matters because the pieces are fitted to their cells
    after their layout is chosen."""

    def __init__(self, rng, count, freq_lo, freq_hi):
        self.theta = rng.uniform(0, 2 * math.pi, count)
        self.freq = rng.uniform(freq_lo, freq_hi, count)
        self.phase = rng.uniform(0, 2 * math.pi, count)
        self.amp = 1.0 / np.sqrt(count / 2.0)

    def __call__(self, x, y):
        out = np.zeros(np.broadcast(x, y).shape)
        for t, f, p in zip(self.theta, self.freq, self.phase):
            out += np.sin(f * (x * math.cos(t) + y * math.sin(t)) + p)
        return out * self.amp


class AngularWobble:
    """Radius modulation around a lobe: a few low harmonics of the angle."""

    def __init__(self, rng, strength):
        self.terms = [(k, rng.uniform(0, strength) / k ** 0.7, rng.uniform(0, 2 * math.pi))
                      for k in range(2, 7)]

    def __call__(self, angle):
        out = np.zeros_like(angle)
        for k, a, p in self.terms:
            out += a * np.cos(k * angle + p)
        return out


def blur(a, sigma):
    """Separable Gaussian blur with edge padding."""
    radius = max(1, int(3 * sigma))
    xs = np.arange(-radius, radius + 1)
    k = np.exp(-(xs ** 2) / (2 * sigma * sigma))
    k /= k.sum()
    p = np.pad(a, ((radius, radius), (0, 0)), mode="edge")
    a = sum(k[i] * p[i:i + a.shape[0]] for i in range(len(k)))
    p = np.pad(a, ((0, 0), (radius, radius)), mode="edge")
    return sum(k[i] * p[:, i:i + a.shape[1]] for i in range(len(k)))


def downsample(rgb, inside, factor, edge_dim=0.45):
    """Average factor x factor blocks.  Returns (rgb in 0..1, coverage in 0..1).
    The colour is the mean of the inside samples, dimmed by edge_dim where
    the pixel is only partly covered."""
    h, w = inside.shape[0] // factor, inside.shape[1] // factor
    cov = inside.reshape(h, factor, w, factor).mean(axis=(1, 3))
    weighted = (rgb * inside[..., None]).reshape(h, factor, w, factor, 3).sum(axis=(1, 3))
    counts = inside.reshape(h, factor, w, factor).sum(axis=(1, 3))
    colour = weighted / np.maximum(counts, 1)[..., None]
    colour *= (1 - edge_dim) + edge_dim * cov[..., None]
    return colour, cov


def normals(height, step):
    gy, gx = np.gradient(height, step)
    n = np.stack([-gx, -gy, np.ones_like(height)], axis=-1)
    return n / np.linalg.norm(n, axis=-1, keepdims=True)


def mix(a, b, t):
    t = np.clip(t, 0, 1)[..., None]
    return np.asarray(a) * (1 - t) + np.asarray(b) * t


# ---------------------------------------------------------------- popped pieces

CREAMS = [np.array(c) / 255 for c in
          [(255, 249, 228), (252, 243, 214), (250, 238, 203), (255, 246, 222), (247, 234, 196)]]
TOAST = np.array((214, 170, 112)) / 255
DEEP_TOAST = np.array((168, 118, 62)) / 255
AMBIENT = np.array((0.46, 0.40, 0.31))
SUN = np.array((0.80, 0.79, 0.76))
HULL = np.array((176, 102, 34)) / 255
HULL_LIGHT = np.array((232, 168, 72)) / 255


class Lobe:
    """One puff: a wobbly ellipse in plan, a dome in height, standing on
    `lift` so that a lump can sit on top of a larger puff."""

    def __init__(self, cx, cy, rx, ry, rot, rz, wobble, material, tint, lift=0.0):
        self.cx, self.cy, self.rx, self.ry, self.rot, self.rz = cx, cy, rx, ry, rot, rz
        self.wobble, self.material, self.tint, self.lift = wobble, material, tint, lift

    def height(self, x, y, fine):
        c, s = math.cos(self.rot), math.sin(self.rot)
        dx, dy = x - self.cx, y - self.cy
        u = (dx * c + dy * s) / self.rx
        v = (-dx * s + dy * c) / self.ry
        r = np.hypot(u, v)
        edge = 1 + self.wobble(np.arctan2(v, u)) + 0.06 * fine
        d = r / edge
        return np.where(d < 1, self.lift + self.rz * np.sqrt(np.clip(1 - d * d, 0, 1)), -1.0)


def piece_layout(rng):
    """Lobes of one popped piece in a unit-sized space.  Three families: a
    ragged 'butterfly' with wings reaching out, a round 'mushroom' head with a
    few small lobes, and a loose cluster of mid-sized puffs."""
    style = rng.choice(["butterfly", "mushroom", "cluster"], p=[0.45, 0.25, 0.30])
    lobes = []

    def lobe(cx, cy, r, material="puff", flat=1.0, wobble=0.16, lift=0.0):
        aspect = rng.uniform(0.75, 1.25)
        lobes.append(Lobe(cx, cy, r * aspect, r / aspect, rng.uniform(0, math.pi),
                          r * rng.uniform(0.75, 1.0) * flat,
                          AngularWobble(rng, wobble), material,
                          CREAMS[rng.integers(len(CREAMS))] * rng.uniform(0.97, 1.0), lift))

    if style == "mushroom":
        # A round head covered in lumps, with a few small lobes at its rim.
        head = rng.uniform(0.62, 0.72)
        lobe(0, 0, head, wobble=0.10)
        head_z = lobes[0].rz
        for _ in range(rng.integers(5, 9)):
            a = rng.uniform(0, 2 * math.pi)
            d = rng.uniform(0.1, 0.5)
            under = head_z * math.sqrt(max(0.0, 1 - (d / head) ** 2))
            lobe(d * math.cos(a), d * math.sin(a), rng.uniform(0.2, 0.32), flat=0.6,
                 lift=0.75 * under)
        for _ in range(rng.integers(2, 4)):
            a = rng.uniform(0, 2 * math.pi)
            lobe(0.62 * math.cos(a), 0.62 * math.sin(a), rng.uniform(0.2, 0.3))
    elif style == "butterfly":
        lobe(0, 0, rng.uniform(0.42, 0.52))
        base = rng.uniform(0, 2 * math.pi)
        wings = rng.integers(4, 7)
        for i in range(wings):
            a = base + 2 * math.pi * i / wings + rng.uniform(-0.4, 0.4)
            dist = rng.uniform(0.45, 0.75)
            lobe(dist * math.cos(a), dist * math.sin(a), rng.uniform(0.28, 0.46), wobble=0.22)
            if rng.random() < 0.5:  # a smaller curl at the tip of a wing
                d2 = dist + rng.uniform(0.25, 0.4)
                a2 = a + rng.uniform(-0.3, 0.3)
                lobe(d2 * math.cos(a2), d2 * math.sin(a2), rng.uniform(0.16, 0.26), wobble=0.25)
    else:
        count = rng.integers(5, 9)
        for i in range(count):
            a = rng.uniform(0, 2 * math.pi)
            dist = 0 if i == 0 else rng.uniform(0.3, 0.7)
            lobe(dist * math.cos(a), dist * math.sin(a), rng.uniform(0.3, 0.48))

    # The torn hull: a flat, glossy brown shard tucked under the puffs,
    # showing at one side.
    a = rng.uniform(0, 2 * math.pi)
    dist = rng.uniform(0.25, 0.5)
    lobe(dist * math.cos(a), dist * math.sin(a), rng.uniform(0.2, 0.3), material="hull",
         flat=0.5, wobble=0.3)
    return lobes


def connected_lobes(lobes, masks):
    """The lobes that touch the first one directly or through others: a puff
    floating free of the piece would fly beside it like a separate crumb."""
    keep = {0}
    grown = True
    while grown:
        grown = False
        for i, m in enumerate(masks):
            if i not in keep and any((m & masks[j]).any() for j in keep):
                keep.add(i)
                grown = True
    return [lb for i, lb in enumerate(lobes) if i in keep]


def largest_region(mask):
    """The largest 8-connected region of a small boolean image."""
    h, w = mask.shape
    label = np.zeros((h, w), np.int32)
    sizes = [0]
    for sy, sx in zip(*np.nonzero(mask)):
        if label[sy, sx]:
            continue
        sizes.append(0)
        n = len(sizes) - 1
        label[sy, sx] = n
        todo = [(sy, sx)]
        while todo:
            y, x = todo.pop()
            sizes[n] += 1
            for ny in range(max(0, y - 1), min(h, y + 2)):
                for nx in range(max(0, x - 1), min(w, x + 2)):
                    if mask[ny, nx] and not label[ny, nx]:
                        label[ny, nx] = n
                        todo.append((ny, nx))
    return label == int(np.argmax(sizes)) if len(sizes) > 1 else mask


def render_piece(width, height, seed, factor=4):
    """One popped piece filling a width x height cell.
    Returns (rgb, coverage); a pixel with coverage >= 0.5 belongs to it."""
    rng = np.random.default_rng(seed)
    lobes = piece_layout(rng)
    fine = Waves(rng, 24, 5.0, 9.0)

    # Find the layout's extent on a fine grid, then map that box onto the cell
    # so the piece touches all four edges.
    g = np.linspace(-2.2, 2.2, 441)
    gx, gy = np.meshgrid(g, g)
    lobes = connected_lobes(lobes, [lb.height(gx, gy, fine(gx, gy)) > 0 for lb in lobes])
    top = np.max([lb.height(gx, gy, fine(gx, gy)) for lb in lobes], axis=0)
    ys, xs = np.nonzero(top > 0)
    x0, x1, y0, y1 = g[xs.min()], g[xs.max()], g[ys.min()], g[ys.max()]

    # Surface detail is sized in screen pixels, not layout units, so small
    # pieces do not turn into noise.
    per_px = 0.5 * ((x1 - x0) / width + (y1 - y0) / height)  # layout units per pixel
    bumps = Waves(rng, 40, 2 * math.pi / (12 * per_px), 2 * math.pi / (7 * per_px))
    flecks = Waves(rng, 30, 2 * math.pi / (8 * per_px), 2 * math.pi / (5 * per_px))
    patches = Waves(rng, 8, 2 * math.pi / (30 * per_px), 2 * math.pi / (18 * per_px))

    W, H = width * factor, height * factor
    px = (np.arange(W) + 0.5) / W
    py = (np.arange(H) + 0.5) / H
    X, Y = np.meshgrid(x0 + px * (x1 - x0), y0 + py * (y1 - y0))
    f = fine(X, Y)
    heights = np.array([lb.height(X, Y, f) for lb in lobes])
    inside = heights.max(axis=0) > 0

    # Soft union of the lobes: keeps a crease where two puffs meet.
    k = 0.035
    terms = np.where(heights > 0, np.exp(heights / k) - 1, 0)
    hmap = k * np.log1p(terms.sum(axis=0))
    hmap += 0.08 * per_px * bumps(X, Y) * np.clip(hmap / 0.08, 0, 1)
    top_lobe = heights.argmax(axis=0)

    pixel = (x1 - x0) / W  # one supersample in layout units
    n = normals(hmap, pixel)
    diffuse = np.clip((n @ LIGHT + 0.3) / 1.3, 0, 1)
    cavity = np.clip((blur(hmap, 2.5 * factor) - hmap) * 0.06 / per_px, 0, 1)
    facing_down = np.clip(n[..., 1] * 1.4, 0, 1)

    albedo = np.zeros((H, W, 3))
    hull_mask = np.zeros((H, W), bool)
    for i, lb in enumerate(lobes):
        sel = top_lobe == i
        if lb.material == "hull":
            hull_mask |= sel
            albedo[sel] = mix(HULL, HULL_LIGHT, 0.5 + 0.5 * bumps(X[sel], Y[sel]))
        else:
            albedo[sel] = lb.tint
    puff = inside & ~hull_mask
    # Toasting in the creases and on the underside, and a few hull flecks
    # gathered in patches.
    toast = np.clip(cavity * 1.1 + facing_down * 0.3 + 0.12 * f, 0, 1)
    albedo[puff] = mix(albedo[puff], TOAST, toast[puff] * 0.75)
    # Some pieces come out more toasted than others.
    albedo[puff] = mix(albedo[puff], TOAST, np.full(puff.sum(), rng.choice([0, 0, 0, 0.2, 0.4])))
    speck = (flecks(X, Y) > 1.9) & (patches(X, Y) > 0.6) & puff & (hmap > 0.05)
    albedo[speck] = mix(albedo[speck], HULL, 0.7)

    # Warm fill light in the shadows keeps them creamy rather than grey.
    light = (AMBIENT * (1 - 0.55 * cavity)[..., None]
             + SUN * (diffuse * (1 - 0.35 * cavity))[..., None])
    gloss = np.clip(n @ HALF, 0, 1)
    sheen = np.where(hull_mask, 0.55 * gloss ** 30, 0.08 * gloss ** 8)
    rgb = albedo * light + sheen[..., None]
    rgb = np.clip(rgb, 0, 1)
    colour, cov = downsample(rgb, inside, factor)
    cov[~largest_region(cov >= 0.5)] = 0
    return colour, cov


# ---------------------------------------------------------------- the kernel

GOLD_DARK = np.array((150, 70, 8)) / 255
GOLD = np.array((236, 150, 28)) / 255
GOLD_LIGHT = np.array((255, 205, 86)) / 255
TIP = np.array((246, 230, 186)) / 255
GERM = np.array((255, 226, 140)) / 255


def _teardrop_sdf(u, v):
    """Signed distance to a teardrop lying along +u: a round back at u < 0
    and a blunt tip at u = +13.  Slightly fuller on the +v side so the kernel
    is not symmetrical."""
    a, ra = np.array([-2.2, 0.4]), 11.0
    b, rb = np.array([8.4, -0.3]), 4.8
    ba = b - a
    length = np.linalg.norm(ba)
    axis = ba / length
    # Uneven capsule: project onto the axis, with the cone's slope.
    pu = (u - a[0]) * axis[0] + (v - a[1]) * axis[1]
    pv = np.abs(-(u - a[0]) * axis[1] + (v - a[1]) * axis[0])
    c = (ra - rb) / length
    s = math.sqrt(1 - c * c)
    k = pu * s - pv * c  # which part of the capsule is nearest
    d_a = np.hypot(pu, pv) - ra
    d_b = np.hypot(pu - length, pv) - rb
    d_side = pv * s + pu * c - ra
    return np.where(k < 0, d_a, np.where(k > s * length, d_b, d_side))


def render_kernel(angle_deg, factor=8, size=32, edge_dim=0.35):
    """The golden kernel turned clockwise by angle_deg about the cell centre.

    Shape and surface markings (the pale tip, the germ, a lighter streak on
    the hull) turn with it; the light stays where it is, so the gloss sits at
    the upper left while the kernel rolls under it."""
    S = size * factor
    # Kernel-frame units are pixels of the 32-pixel sheet cell.
    unit = 32 / size
    c = ((np.arange(S) + 0.5) / factor - size / 2) * unit
    X, Y = np.meshgrid(c, c)
    t = math.radians(angle_deg)
    # Screen -> kernel frame (inverse of a clockwise turn on a y-down screen).
    U = X * math.cos(t) + Y * math.sin(t)
    V = -X * math.sin(t) + Y * math.cos(t)
    sdf = _teardrop_sdf(U, V)
    inside = sdf < 0
    depth = np.clip(-sdf, 0, None)
    dome = 10.5
    z = 9.0 * np.sqrt(np.clip(1 - (1 - np.clip(depth / dome, 0, 1)) ** 2, 0, 1))
    n = normals(z, unit / factor)

    # Surface markings in the kernel's own frame.
    tipness = np.clip((U - 7.0) / 5.5, 0, 1)
    germ = np.clip(1.3 - 1.3 * np.hypot((U - 3.0) / 6.5, (V + 3.6) / 2.8), 0, 1)
    streak = np.clip(1 - np.abs(V - 4.6 + 0.03 * U * U) / 2.4, 0, 1) * np.clip((U + 10) / 6, 0, 1) \
        * np.clip((8 - U) / 5, 0, 1)
    albedo = mix(GOLD, GOLD_LIGHT, 0.9 * streak)
    albedo = mix(albedo, GERM, germ ** 0.7 * 0.85)
    albedo = mix(albedo, TIP, tipness ** 1.3)
    rim = np.clip(1 - depth / 3.0, 0, 1)
    albedo = mix(albedo, GOLD_DARK, rim * (1 - tipness) * 0.8)

    diffuse = np.clip(n @ LIGHT, 0, 1)
    gloss = np.clip(n @ HALF, 0, 1) ** 45
    shade = 0.38 + 0.72 * diffuse
    # The tip cap is thin and lets light through: it stays pale even on the
    # shadow side, so it catches the eye as the kernel turns.
    shade = shade + (np.maximum(shade, 0.9) - shade) * tipness
    rgb = albedo * shade[..., None] + 0.85 * gloss[..., None] * np.array([1.0, 0.97, 0.85])
    rgb = np.clip(rgb, 0, 1)
    return downsample(rgb, inside, factor, edge_dim=edge_dim)
