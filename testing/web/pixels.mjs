// Pictures of the page as pixels: PNG screenshots and pdftoppm's PPM pages
// read into grey levels, and the dots of the grids found in them.
import zlib from 'node:zlib';

// A grey picture: width, height and one luminance byte (0 black, 255
// white) per pixel.
function grey(width, height, channels, rgb) {
  const data = new Uint8Array(width * height);
  for (let i = 0; i < data.length; ++i) {
    const p = i * channels;
    data[i] = Math.round(0.2126 * rgb[p] + 0.7152 * rgb[p + 1] + 0.0722 * rgb[p + 2]);
  }
  return { width, height, data };
}

// pdftoppm's binary PPM (P6, 8 bits).
export function readPpm(buffer) {
  const header = buffer.toString('latin1', 0, 64).match(/^P6\s+(\d+)\s+(\d+)\s+255\s/);
  if (!header) throw new Error('not an 8-bit binary PPM');
  return grey(Number(header[1]), Number(header[2]), 3, buffer.subarray(header[0].length));
}

// A PNG of 8-bit RGB or RGBA, not interlaced, as Chromium's screenshots are.
export function readPng(buffer) {
  let at = 8, width = 0, height = 0, channels = 0;
  const chunks = [];
  while (at < buffer.length) {
    const length = buffer.readUInt32BE(at), type = buffer.toString('latin1', at + 4, at + 8);
    const body = buffer.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      [width, height] = [body.readUInt32BE(0), body.readUInt32BE(4)];
      channels = { 2: 3, 6: 4 }[body[9]];
      if (body[8] !== 8 || !channels || body[12]) throw new Error('a PNG of a kind these checks do not read');
    } else if (type === 'IDAT') {
      chunks.push(body);
    }
    at += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(chunks)), stride = width * channels;
  const rgb = new Uint8Array(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)], line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let x = 0; x < stride; ++x) {
      const a = x >= channels ? rgb[y * stride + x - channels] : 0, b = y ? rgb[(y - 1) * stride + x] : 0;
      const c = x >= channels && y ? rgb[(y - 1) * stride + x - channels] : 0;
      const p = a + b - c, [pa, pb, pc] = [Math.abs(p - a), Math.abs(p - b), Math.abs(p - c)];
      const predictor = [0, a, b, (a + b) >> 1, pa <= pb && pa <= pc ? a : pb <= pc ? b : c][filter];
      rgb[y * stride + x] = (line[x] + predictor) & 255;
    }
  }
  return grey(width, height, channels, rgb);
}

// The grids' dots in a picture: every blob of ink (darker than `ink`)
// about as wide as high, `dot` = [least, most] pixels across, nearly
// filled. Digits are larger and lines join dots into long blobs, so
// neither passes for a dot.
export function findDots(picture, { dot, ink = 128, raw = false }) {
  const { width, height, data } = picture;
  const seen = new Uint8Array(width * height), dots = [];
  for (let start = 0; start < data.length; ++start) {
    if (seen[start] || data[start] >= ink) continue;
    let [left, right, top, bottom, count] = [width, 0, height, 0, 0];
    seen[start] = 1;
    for (const todo = [start]; todo.length;) {
      const i = todo.pop(), x = i % width, y = (i - x) / width;
      ++count;
      [left, right, top, bottom] = [Math.min(left, x), Math.max(right, x), Math.min(top, y), Math.max(bottom, y)];
      for (const j of [x > 0 ? i - 1 : -1, x + 1 < width ? i + 1 : -1, i - width, i + width]) {
        if (j >= 0 && j < data.length && !seen[j] && data[j] < ink) { seen[j] = 1; todo.push(j); }
      }
    }
    const [w, h] = [right - left + 1, bottom - top + 1];
    if (w >= dot[0] && w <= dot[1] && h >= dot[0] && h <= dot[1] && Math.abs(w - h) <= 2 && count >= 0.5 * w * h) {
      dots.push({ x: (left + right) / 2, y: (top + bottom) / 2 });
    }
  }
  return raw ? dots : latticeDots(dots);
}

// For each dot, the nearest dot to its right and the nearest below (at
// most 2 pixels off its row or column), or undefined.
function nextDots(dots) {
  const right = new Map(), below = new Map();
  for (const d of dots) {
    for (const e of dots) {
      if (Math.abs(e.y - d.y) < 2 && e.x > d.x && !(right.get(d)?.x <= e.x)) right.set(d, e);
      if (Math.abs(e.x - d.x) < 2 && e.y > d.y && !(below.get(d)?.y <= e.y)) below.set(d, e);
    }
  }
  return { right, below };
}

// The dots that are corners of a square of dots: the next dot along the
// row and the next along the column as far, and a dot at the fourth
// corner. Stops and commas of the text around the grids are not.
function latticeDots(dots) {
  const { right, below } = nextDots(dots);
  const left = new Map([...right].map(([d, e]) => [e, d])), above = new Map([...below].map(([d, e]) => [e, d]));
  const near = (x, y) => dots.some((e) => Math.abs(e.x - x) < 2 && Math.abs(e.y - y) < 2);
  return dots.filter((d) => [[right, below], [right, above], [left, below], [left, above]].some(([h, v]) => {
    const [r, c] = [h.get(d), v.get(d)];
    return r && c && Math.abs(Math.abs(r.x - d.x) - Math.abs(c.y - d.y)) <= 2 && near(r.x, c.y);
  }));
}

// Neighbouring dots of the same grid: the next dot along a row or a
// column, at most `reach` times the spacing of the grid's square (the
// nearer of the two next dots) away. Returns the pairs with their distance.
export function neighbours(dots, reach = 1.3) {
  const { right, below } = nextDots(dots), pairs = [];
  const spacing = (d) => Math.min(right.get(d) ? right.get(d).x - d.x : Infinity, below.get(d) ? below.get(d).y - d.y : Infinity);
  for (const [next, along] of [[right, 'x'], [below, 'y']]) {
    for (const [a, b] of next) {
      const gap = b[along] - a[along];
      if (gap <= reach * Math.min(spacing(a), spacing(b))) pairs.push({ a, b, gap });
    }
  }
  return pairs;
}

// The darkest of the pixels within `r` of (x, y): a line through there,
// however thin, makes it dark.
export function darkestNear(picture, x, y, r = 1) {
  let least = 255;
  for (let dy = -r; dy <= r; ++dy) {
    for (let dx = -r; dx <= r; ++dx) {
      const [px, py] = [Math.round(x) + dx, Math.round(y) + dy];
      if (px >= 0 && py >= 0 && px < picture.width && py < picture.height) least = Math.min(least, picture.data[py * picture.width + px]);
    }
  }
  return least;
}

// The grids of a picture checked as a solver's page: `dots` dots, `sides`
// pairs of neighbouring dots, white paper (lighter than `paper`) at every
// midpoint between two of them, dark at every dot. Returns what it found
// and a list of faults.
export function checkGrid(picture, { dot, dots, sides, paper = 200 }) {
  const found = findDots(picture, { dot });
  const pairs = neighbours(found);
  const faults = [];
  if (found.length !== dots) faults.push(`${found.length} dots found, expected ${dots}`);
  if (pairs.length !== sides) faults.push(`${pairs.length} sides between dots found, expected ${sides}`);
  const drawn = pairs.filter((p) => darkestNear(picture, (p.a.x + p.b.x) / 2, (p.a.y + p.b.y) / 2) < paper);
  if (drawn.length) {
    const at = drawn.slice(0, 3).map((p) => `(${Math.round((p.a.x + p.b.x) / 2)}, ${Math.round((p.a.y + p.b.y) / 2)})`);
    faults.push(`${drawn.length} sides show a line at their midpoint, e.g. at ${at.join(', ')}`);
  }
  const pale = found.filter((d) => picture.data[Math.round(d.y) * picture.width + Math.round(d.x)] >= 128);
  if (pale.length) faults.push(`${pale.length} dots are not dark at their centre`);
  const pitch = pairs.length ? Math.min(...pairs.map((p) => p.gap)) : 0;
  return { found, pairs, drawn, pitch, faults };
}
