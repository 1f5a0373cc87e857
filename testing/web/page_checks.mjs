#!/usr/bin/env node
// Checks the page that the default template makes, as its visitors get it:
// builds the pages of the example and of the stress stage file with the real
// program, then looks at them in headless Chromium and in the Nu HTML
// Checker.
//
// usage: node page_checks.mjs CHECK QUARNEL TEMPLATE EXAMPLE STRESS OUT_DIR [QUARNEL_CHECK]
//   example   every grid of the example page as loaded: rows, cells and
//             the stages' values, titles and sizes; a screenshot, no side
//             drawn before play (in pixels); each stage's puzz.link link
//             the address QUARNEL_CHECK --urls prints
//   access    axe-core in light and dark colour schemes, the contrast of
//             every colour pair, grids named by their headings, wide grids
//             scrolling inside their cards
//   html      the Nu HTML Checker on both pages
//   print     print to PDF: black on white, each stage whole on one page,
//             dots and digits only (in pixels), cells of 7 mm, dark as light
//   play      the stages played: a generated loop drawn by clicks and by
//             keys is solved, its faults highlighted, progress kept and
//             cleared, axe-core on open boards, the page without script as
//             before, click timings on the 40 x 40 grid
//   solve     what a solver meets: drags by mouse and finger, undo and
//             redo, grids that hold still, progress kept when a stage is
//             inserted, rule breaks in words and shapes, the page without
//             script
//   pictures  the README's pictures: light, dark, printed first page, a
//             board in play, a phone
// OUT_DIR receives the PDFs and pictures. Chromium is $CHROMIUM (default
// /usr/bin/chromium).
import { execFile, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';
import { checkGrid, darkestNear, findDots, neighbours, readPng, readPpm } from './pixels.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const modules = path.join(here, 'node_modules');
const axeSource = path.join(modules, 'axe-core', 'axe.min.js');
const vnuJar = path.join(modules, 'vnu-jar', 'build', 'dist', 'vnu.jar');

// How stage titles holding markup and character references read on the
// page: the template puts a title in element content, where they keep
// their meaning and cannot break the markup around them.
const kStressTitles = [
  'Tom & Jerry "quoted" bold',
  '記号をそのまま見せる題名：1 < 2 & 3 > 0、"二重" と \'一重\' の引用符',
];

const kTextContrast = 4.5;   // text at its size on the page
const kGraphicContrast = 3;  // grid lines, dots, focus outline

const failures = [];
const workDirs = [];
function fail(message) {
  failures.push(message);
  console.error('FAIL: ' + message);
}

function run(command, args, options = {}) {
  const result = spawnSync(command, args, { timeout: 120000, maxBuffer: 64 << 20, ...options });
  if (result.error) throw new Error(`${command}: ${result.error.message}`);
  if (result.status !== 0) {
    throw new Error(`${command} ${args.join(' ')}: status ${result.status}\n${result.stderr}`);
  }
  return result.stdout;
}

// Runs the program on each stage file, named by its absolute path as a
// desktop or a file dialog names it, and returns the pages' paths.
function makePages(quarnel, template, stageFiles) {
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'quarnel-page-'));
  workDirs.push(work);
  fs.mkdirSync(path.join(work, 'bin'));
  fs.mkdirSync(path.join(work, 'pages'));
  const program = path.join(work, 'bin', 'quarnel');
  fs.copyFileSync(quarnel, program);
  fs.chmodSync(program, 0o755);
  fs.copyFileSync(template, path.join(work, 'bin', 'template.dat'));
  const env = { ...process.env };
  delete env.DISPLAY;
  delete env.WAYLAND_DISPLAY;
  const pages = stageFiles.map((file) => {
    const stages = path.join(work, 'pages', path.basename(file));
    fs.copyFileSync(file, stages);
    run(program, [stages], { env, stdio: ['ignore', 'pipe', 'pipe'], timeout: 60000 });
    const page = stages.replace(/\.[^.]*$/, '.html');
    // A published page must not show where its author keeps files.
    const text = fs.readFileSync(page, 'latin1');
    for (const secret of [work, path.basename(file)]) {
      if (text.includes(secret)) fail(`${path.basename(page)} shows "${secret}"`);
    }
    return page;
  });
  return { work, pages };
}

async function launch() {
  return chromium.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    args: ['--disable-gpu', '--disable-quic', '--no-first-run', '--disable-sync'],
    timeout: 60000,
  });
}

async function open(browser, page, options = {}) {
  const context = await browser.newContext({ viewport: { width: 1100, height: 760 }, ...options });
  const tab = await context.newPage();
  tab.setDefaultTimeout(60000);
  // The page works from its file alone: it asks no other host for anything.
  tab.on('request', (request) => {
    if (!/^(file|data|blob|about):/.test(request.url())) fail(`${path.basename(page)} asked for ${request.url()}`);
  });
  await tab.goto(pathToFileURL(page).href);
  return { context, tab };
}

// Runs in the page: the colour pairs a reader sees, each measured from the
// computed styles against the background that shows behind it.
function measureContrast() {
  const parse = (text) => {
    const parts = text.match(/rgba?\(([^)]*)\)/)[1].split(/[\s,/]+/).filter(Boolean).map(Number);
    return { rgb: parts.slice(0, 3), alpha: parts.length > 3 ? parts[3] : 1 };
  };
  const background = (element) => {
    for (let at = element; at; at = at.parentElement) {
      const colour = parse(getComputedStyle(at).backgroundColor);
      if (colour.alpha === 1) return colour.rgb;
      if (colour.alpha > 0) throw new Error(`translucent background on ${at.tagName}`);
    }
    return [255, 255, 255];
  };
  const luminance = (rgb) => {
    const [r, g, b] = rgb.map((value) => {
      const c = value / 255;
      return c <= 0.04045 ? c / 12.92 : ((c + 0.055) / 1.055) ** 2.4;
    });
    return 0.2126 * r + 0.7152 * g + 0.0722 * b;
  };
  const ratio = (a, b) => {
    const [light, dark] = [luminance(a), luminance(b)].sort((x, y) => y - x);
    return (light + 0.05) / (dark + 0.05);
  };
  const hex = (rgb) => '#' + rgb.map((v) => v.toString(16).padStart(2, '0')).join('');
  const pairs = [];
  const add = (name, kind, selector, property, pseudo = null) => {
    const element = document.querySelector(selector);
    if (!element) {
      pairs.push({ name, kind, missing: selector });
      return;
    }
    const style = getComputedStyle(element, pseudo);
    const colour = parse(style[property]);
    const behind = background(element);
    pairs.push({ name, kind, fg: hex(colour.rgb), bg: hex(behind),
                 ratio: Math.round(ratio(colour.rgb, behind) * 100) / 100,
                 translucent: colour.alpha !== 1 });
  };
  for (const digit of ['0', '1', '2', '3']) {
    add(`digit ${digit}`, 'text', `td.cell[data-v="${digit}"]`, 'color');
  }
  add('dot', 'graphic', 'td.dot', 'borderTopColor', '::before');
  add('page heading', 'text', 'h1', 'color');
  add('stage count', 'text', 'header p', 'color');
  add('stage title', 'text', 'li h2', 'color');
  add('stage number', 'text', 'li h2 .no', 'color');
  add('size line', 'text', 'li p', 'color');
  add('footer', 'text', 'footer', 'color');
  const focused = document.activeElement;
  if (focused && focused !== document.body) {
    const style = getComputedStyle(focused);
    const outline = parse(style.outlineColor).rgb;
    const behind = background(focused.parentElement);
    pairs.push({ name: 'focus outline', kind: 'graphic', fg: hex(outline), bg: hex(behind),
                 ratio: Math.round(ratio(outline, behind) * 100) / 100,
                 visible: style.outlineStyle !== 'none' && parseFloat(style.outlineWidth) >= 1 });
  } else {
    pairs.push({ name: 'focus outline', kind: 'graphic', missing: 'a focused element' });
  }
  return pairs;
}

function checkContrast(where, pairs) {
  const lines = [];
  for (const pair of pairs) {
    if (pair.missing) {
      fail(`${where}: nothing to measure for ${pair.name} (${pair.missing})`);
      continue;
    }
    const least = pair.kind === 'text' ? kTextContrast : kGraphicContrast;
    lines.push(`  ${pair.name.padEnd(18)} ${pair.fg} on ${pair.bg}  ${pair.ratio.toFixed(2)}:1`);
    if (pair.ratio < least) fail(`${where}: ${pair.name} ${pair.fg} on ${pair.bg} is ${pair.ratio}:1, below ${least}:1`);
    if (pair.translucent) fail(`${where}: ${pair.name} is drawn translucent`);
    if (pair.visible === false) fail(`${where}: the focused grid shows no outline`);
  }
  console.log(`${where}: contrast\n${lines.join('\n')}`);
}

// The accessible names of the stage headings and of the grid tables, in
// page order, as Chromium computes them for assistive technology.
async function accessibleNames(context, tab) {
  const session = await context.newCDPSession(tab);
  await session.send('Accessibility.enable');
  const { nodes } = await session.send('Accessibility.getFullAXTree');
  const level = (node) => (node.properties || []).find((p) => p.name === 'level')?.value.value;
  const names = (keep) => nodes.filter((node) => !node.ignored && keep(node))
    .map((node) => (node.name?.value || '').replace(/\s+/g, ' ').trim());
  return {
    headings: names((node) => node.role?.value === 'heading' && level(node) === 2),
    tables: names((node) => node.role?.value === 'table'),
    landmarks: names((node) => ['main', 'banner', 'contentinfo'].includes(node.role?.value)).length,
  };
}

async function checkAccess(quarnel, template, example, stress) {
  const { pages } = makePages(quarnel, template, [example, stress]);
  const browser = await launch();
  try {
    // One tab a page, its colour scheme and window switched in it.
    for (const page of pages) {
      const name = path.basename(page);
      const { context, tab } = await open(browser, page);
      await tab.addScriptTag({ path: axeSource });
      for (const scheme of ['light', 'dark']) {
        const where = `${name} (${scheme})`;
        await tab.emulateMedia({ colorScheme: scheme });
        // Only colours change with the scheme: in the dark one, the rules
        // about colour.
        const result = await tab.evaluate((dark) => window.axe.run(document, {
          resultTypes: ['violations'], ...(dark ? { runOnly: { type: 'tag', values: ['cat.color'] } } : {}) }), scheme === 'dark');
        for (const violation of result.violations) {
          const targets = violation.nodes.slice(0, 3).map((node) => node.target.join(' ')).join('; ');
          fail(`${where}: axe ${violation.id} on ${violation.nodes.length} element(s): ${violation.help} (${targets})`);
        }
        console.log(`${where}: axe-core ${result.testEngine.version}, ${result.passes.length} rules passed, ` +
                    `${result.violations.length} violated`);
        if (scheme === 'light') {
          const { headings, tables, landmarks } = await accessibleNames(context, tab);
          if (tables.length === 0 || tables.length !== headings.length) {
            fail(`${where}: ${tables.length} grid tables for ${headings.length} stage headings`);
          }
          tables.forEach((table, i) => {
            if (!table || table !== headings[i]) {
              fail(`${where}: grid ${i + 1} is named "${table}", its heading "${headings[i]}"`);
            }
          });
          if (landmarks !== 3) fail(`${where}: ${landmarks} banner, main and contentinfo landmarks, expected 3`);
          if (page.endsWith('stress.html')) {
            kStressTitles.forEach((title, i) => {
              if (!headings[i] || !headings[i].endsWith(title)) {
                fail(`${where}: heading ${i + 1} reads "${headings[i]}", expected it to end in "${title}"`);
              }
            });
          }
          // The first grid, opened for play, takes the keyboard's focus
          // (after the play controls before it), and keeps it for both
          // schemes' contrast.
          await tab.getByRole('button', { name: kPlay, exact: true }).first().focus();
          await tab.keyboard.press('Enter');
          for (let i = 0; i < 4 && !(await tab.evaluate(() => document.activeElement.matches('.board'))); ++i) {
            await tab.keyboard.press('Tab');
          }
        }
        checkContrast(where, await tab.evaluate(measureContrast));
      }
      // Wide grids scroll in their cards: the page itself never scrolls
      // sideways, on a wide window or a phone's.
      for (const width of [1100, 360]) {
        const where = `${name} at ${width} px`;
        await tab.setViewportSize({ width, height: 760 });
        const layout = await tab.evaluate(() => ({
          page: document.documentElement.scrollWidth,
          view: document.documentElement.clientWidth,
          boards: [...document.querySelectorAll('.board')].map((board) => ({
            right: board.getBoundingClientRect().right,
            scrolls: board.scrollWidth > board.clientWidth,
            columns: board.querySelectorAll('tr:nth-child(2) td.cell').length,
          })),
        }));
        if (layout.page > layout.view) fail(`${where}: the page is ${layout.page} px wide in a ${layout.view} px window`);
        layout.boards.forEach((board, i) => {
          if (board.right > layout.view) fail(`${where}: grid ${i + 1} reaches ${board.right} px`);
          if (board.columns >= 40 && !board.scrolls) fail(`${where}: the ${board.columns}-column grid does not scroll`);
        });
        console.log(`${where}: page ${layout.page} px in ${layout.view} px; ` +
                    `${layout.boards.filter((b) => b.scrolls).length} of ${layout.boards.length} grids scroll`);
      }
      await context.close();
    }
  } finally {
    await browser.close();
  }
}

async function checkHtml(quarnel, template, example, stress) {
  const { pages } = makePages(quarnel, template, [example, stress]);
  // The pages are given to the checker as files, which it reads as UTF-8:
  // the bundled template's pages are UTF-8. (Fetching them from a server of
  // the test's own timed out on a loaded machine.)
  const report = await new Promise((resolve, reject) => {
    execFile('java', ['-jar', vnuJar, '--format', 'json', '--stdout', '--exit-zero-always', ...pages],
             { timeout: 180000, maxBuffer: 64 << 20 },
             (error, stdout, stderr) => (error ? reject(new Error(`${error.message}\n${stderr}`)) : resolve(stdout)));
  });
  const { messages } = JSON.parse(report);
  for (const page of pages) {
    const name = path.basename(page);
    const mine = messages.filter((m) => m.url && m.url.endsWith('/' + name));
    const errors = mine.filter((m) => m.type === 'error' || m.type === 'non-document-error');
    // The bundled template's pages are UTF-8: every error fails the check.
    for (const error of errors) fail(`${name}:${error.lastLine ?? '?'}: ${error.message}`);
    const others = mine.filter((m) => m.type === 'info');
    others.forEach((m) => console.log(`${name}:${m.lastLine ?? '?'}: ${m.subType || 'info'}: ${m.message}`));
    console.log(`${name}: Nu HTML Checker ${JSON.parse(report).version}: ${errors.length} errors, ` +
                `${others.length} warnings`);
  }
  const stray = messages.filter((m) => !pages.some((page) => m.url && m.url.endsWith('/' + path.basename(page))));
  stray.forEach((m) => fail(`checker: ${m.type}: ${m.message}`));
}

// A PPM image's pixels that are not grey: colour left in a printed page.
function colouredPixels(ppm) {
  const header = ppm.toString('latin1', 0, 64).match(/^P6\s+(\d+)\s+(\d+)\s+(\d+)\s/);
  let coloured = 0;
  for (let i = header[0].length; i + 2 < ppm.length; i += 3) {
    const [r, g, b] = [ppm[i], ppm[i + 1], ppm[i + 2]];
    if (Math.max(r, g, b) - Math.min(r, g, b) > 24) ++coloured;
  }
  return { coloured, pixels: Number(header[1]) * Number(header[2]) };
}

// Prints the page to PDF after prepare(tab) and returns each stage's text
// as it prints and the faults of its print styles.
async function printPage(browser, page, pdf, format, colorScheme = 'light', prepare = null) {
  const { context, tab } = await open(browser, page, { colorScheme });
  if (prepare) await prepare(tab);
  await tab.emulateMedia({ media: 'print' });
  // Each stage's text as it prints, blanks left out: the card's whole text
  // must be found on one page of the PDF.
  const stages = await tab.evaluate(() => [...document.querySelectorAll('li.stage')]
    .map((stage) => stage.innerText.replace(/\s+/g, '')));
  const styles = await tab.evaluate(() => {
    const faults = [];
    const black = 'rgb(0, 0, 0)';
    const clear = ['rgba(0, 0, 0, 0)', 'rgb(255, 255, 255)'];
    for (const element of document.body.querySelectorAll('*')) {
      const style = getComputedStyle(element);
      if (style.display === 'none') continue;
      const what = element.tagName.toLowerCase() + (element.className ? '.' + element.className : '');
      if (element.textContent.trim() && style.color !== black) faults.push(`${what}: text ${style.color}`);
      if (!clear.includes(style.backgroundColor)) faults.push(`${what}: background ${style.backgroundColor}`);
      if (style.backgroundImage !== 'none') faults.push(`${what}: background image`);
      if (style.boxShadow !== 'none') faults.push(`${what}: shadow`);
      for (const pseudo of ['::before', '::after']) {
        const mark = getComputedStyle(element, pseudo);
        if (mark.content === 'none' || mark.content === 'normal') continue;
        for (const side of ['Top', 'Left']) {
          const [width, colour] = [parseFloat(mark[`border${side}Width`]), mark[`border${side}Color`]];
          if (width > 0 && colour !== black && colour !== clear[0]) faults.push(`${what}${pseudo}: line ${colour}`);
        }
      }
    }
    return faults;
  });
  await tab.pdf({ path: pdf, format, printBackground: false });
  await context.close();
  return { stages, styles };
}

// The dots and the sides of the example's grids, all stages together.
function exampleLattice() {
  const sizes = kExampleStages.map(([, rows]) => [rows[0].length, rows.length]);
  return { dots: sizes.reduce((n, [w, h]) => n + (w + 1) * (h + 1), 0),
           sides: sizes.reduce((n, [w, h]) => n + w * (h + 1) + h * (w + 1), 0) };
}

const kPrintDpi = 100;
const kLeastCellMm = 7;

async function checkPrint(quarnel, template, example, stress, outDir) {
  const { pages: [examplePage, stressPage] } = makePages(quarnel, template, [example, stress]);
  const { dots: kExampleDots, sides: kExampleSides } = exampleLattice();
  const browser = await launch();
  // Stage 1 in play with a side drawn and one crossed out; stage 2 with a
  // side drawn, then closed: only stage 1's two marks may print.
  const inPlay = async (tab) => {
    const play = tab.getByRole('button', { name: kPlay, exact: true });
    await play.nth(0).click();
    await play.nth(1).click();
    await clickSides(tab, 1, [1, 3, 3]);
    await clickSides(tab, 2, [1]);
    await play.nth(1).click();
  };
  try {
    // The example takes two A4 pages, so a page break falls among its
    // stages; a dark colour scheme must print as the light one; the stress
    // page's 40-column grid is wider than the paper.
    const prints = [
      { page: examplePage, format: 'A4', scheme: 'light', grid: true, pages: 2 },
      { page: examplePage, format: 'A4', scheme: 'dark', grid: true, same: 'stages-A4-light' },
      { page: examplePage, format: 'A4', scheme: 'light', name: 'stages-A4-play', prepare: inPlay, marks: 2 },
      { page: stressPage, format: 'A4', scheme: 'light' },
    ];
    const pictures = new Map();
    for (const { page, format, scheme, pages, grid, same, prepare, marks, ...more } of prints) {
      const name = more.name || `${path.basename(page, '.html')}-${format}-${scheme}`;
      const where = `${path.basename(page)} printed on ${format} (${scheme}${prepare ? ', in play' : ''})`;
      const pdf = path.join(outDir, `${name}.pdf`);
      const { stages, styles } = await printPage(browser, page, pdf, format, scheme, prepare);
      [...new Set(styles)].forEach((fault) => fail(`${where}: ${fault}`));
      const sheets = run('pdftotext', ['-raw', pdf, '-']).toString('utf8').split('\f')
        .map((sheet) => sheet.replace(/\s+/g, '')).filter((sheet) => sheet);
      if (sheets.some((sheet) => sheet.includes('puzz.link'))) fail(`${where}: the puzz.link link prints`);
      let whole = 0;
      stages.forEach((stage, i) => {
        const on = sheets.flatMap((sheet, p) => (sheet.includes(stage) ? [p + 1] : []));
        if (on.length === 1) ++whole;
        else fail(`${where}: stage ${i + 1} is whole on ${on.length} pages (${on.join(', ')})`);
      });
      // Every sheet rendered as a reader's printer would, checked for colour.
      const prefix = path.join(outDir, name);
      for (const file of fs.readdirSync(outDir)) if (file.startsWith(name + '-') && file.endsWith('.ppm')) fs.rmSync(path.join(outDir, file));
      run('pdftoppm', ['-r', String(grid || same || marks !== undefined ? kPrintDpi : 50), pdf, prefix]);
      const files = fs.readdirSync(outDir).filter((file) => file.startsWith(name + '-') && file.endsWith('.ppm')).sort();
      if (files.length !== sheets.length) fail(`${where}: pdftoppm made ${files.length} pictures of ${sheets.length} pages`);
      const ppms = files.map((file) => fs.readFileSync(path.join(outDir, file)));
      pictures.set(name, ppms);
      const coloured = ppms.reduce((sum, ppm) => sum + colouredPixels(ppm).coloured, 0);
      if (coloured) fail(`${where}: ${coloured} coloured pixels`);
      if (pages && sheets.length < pages) fail(`${where}: ${sheets.length} page(s), so no stage met a page break`);
      let detail = '';
      if (grid) {
        // Dots and digits only: white paper halfway between two dots, and
        // cells of at least 7 mm.
        const dot = [Math.floor(0.6 * kPrintDpi / 25.4), Math.ceil(2 * kPrintDpi / 25.4)];
        const sums = { dots: 0, sides: 0, pitch: Infinity };
        for (const [p, ppm] of ppms.entries()) {
          const found = checkGrid(readPpm(ppm), { dot, dots: NaN, sides: NaN });
          found.faults.filter((f) => !/expected NaN/.test(f)).forEach((f) => fail(`${where}, page ${p + 1}: ${f}`));
          sums.dots += found.found.length;
          sums.sides += found.pairs.length;
          if (found.pairs.length) sums.pitch = Math.min(sums.pitch, found.pitch);
        }
        const mm = sums.pitch / kPrintDpi * 25.4;
        if (sums.dots !== kExampleDots) fail(`${where}: ${sums.dots} dots found, expected ${kExampleDots}`);
        if (sums.sides !== kExampleSides) fail(`${where}: ${sums.sides} sides between dots found, expected ${kExampleSides}`);
        if (!(mm >= kLeastCellMm - 0.1)) fail(`${where}: cells of ${mm.toFixed(2)} mm, less than ${kLeastCellMm} mm`);
        detail += `, ${sums.dots} dots, ${sums.sides} sides clean, cells ${mm.toFixed(2)} mm`;
      }
      if (same) {
        const other = pictures.get(same);
        const differ = ppms.length !== other.length ? Infinity
          : ppms.reduce((n, ppm, p) => n + (ppm.equals(other[p]) ? 0 : 1), 0);
        if (differ) fail(`${where}: ${differ === Infinity ? 'another number of' : differ} page(s) differ from ${same}`);
        else detail += `, the same pixels as ${same}`;
      }
      if (marks !== undefined) {
        // The midpoints of the clean print's sides, looked at on this one.
        const clean = pictures.get('stages-A4-light');
        let dark = 0;
        ppms.forEach((ppm, p) => {
          const picture = readPpm(ppm), plain = readPpm(clean[p]);
          const dot = [Math.floor(0.6 * kPrintDpi / 25.4), Math.ceil(2 * kPrintDpi / 25.4)];
          for (const pair of neighbours(findDots(plain, { dot }))) {
            if (darkestNear(picture, (pair.a.x + pair.b.x) / 2, (pair.a.y + pair.b.y) / 2) < 200) ++dark;
          }
        });
        if (dark !== marks) fail(`${where}: ${dark} sides print a mark, expected ${marks} (a line and a cross of the board in play)`);
        detail += `, ${dark} sides marked`;
      }
      console.log(`${where}: ${sheets.length} pages, ${whole} of ${stages.length} stages whole on one page, ` +
                  `${coloured} coloured pixels${detail}`);
    }
  } finally {
    await browser.close();
  }
}

// The stages played. A generated stage is the boundary of a random region
// of cells, grown one cell at a time while its boundary stays one closed
// loop, with every clue counted from that loop: so the loop solves it.
// Sides are numbered as the grid table's cells: row * (2 * width + 1) + column.
function randomRng(seed) {
  return () => {
    seed = (seed + 0x6D2B79F5) | 0;
    let t = Math.imul(seed ^ (seed >>> 15), 1 | seed);
    t ^= t + Math.imul(t ^ (t >>> 7), 61 | t);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}

// The dots of a set of sides, in order round the loop, or null when the
// sides are not exactly one closed loop.
function loopDots(sides, C) {
  const at = new Map();
  for (const s of sides) {
    const ends = Math.floor(s / C) % 2 ? [s - C, s + C] : [s - 1, s + 1];
    for (const dot of ends) at.set(dot, [...(at.get(dot) || []), s]);
  }
  if (!sides.size || [...at.values()].some((list) => list.length !== 2)) return null;
  const dots = [];
  let dot = at.keys().next().value, side = at.get(dot)[0];
  do {
    dots.push(dot);
    dot = 2 * side - dot;
    side = at.get(dot).find((s) => s !== side);
  } while (dot !== dots[0]);
  return dots.length === sides.size ? dots : null;
}

// Cells for which keepOut(y, x) holds stay out of the region and blank.
function makeStage(width, height, seed, keepOut = () => false) {
  const rand = randomRng(seed), C = 2 * width + 1;
  const cell = (y, x) => (2 * y + 1) * C + 2 * x + 1;
  const region = new Set();
  const boundary = () => {
    const sides = new Set();
    for (const j of region) for (const d of [-1, 1, -C, C]) if (!region.has(j + 2 * d)) sides.add(j + d);
    return sides;
  };
  let y0, x0;
  do [y0, x0] = [Math.floor(rand() * height), Math.floor(rand() * width)]; while (keepOut(y0, x0));
  region.add(cell(y0, x0));
  for (let tries = 0; tries < width * height * 4 && region.size < width * height / 2; ++tries) {
    const grown = [...region], j = grown[Math.floor(rand() * grown.length)] + [-2, 2, -2 * C, 2 * C][Math.floor(rand() * 4)];
    const [y, x] = [(Math.floor(j / C) - 1) / 2, (j % C - 1) / 2];
    if (j < 0 || y >= height || x < 0 || x % 1 || region.has(j) || keepOut(y, x)) continue;
    // Mostly cells that touch the region on one side only: a winding loop.
    if ([-2, 2, -2 * C, 2 * C].filter((d) => region.has(j + d)).length > 1 && rand() < 0.9) continue;
    region.add(j);
    if (!loopDots(boundary(), C)) region.delete(j);
  }
  const loop = boundary();
  const rows = [];
  for (let y = 0; y < height; ++y) {
    let text = '';
    for (let x = 0; x < width; ++x) {
      const j = cell(y, x);
      text += keepOut(y, x) ? '.' : [-1, 1, -C, C].filter((d) => loop.has(j + d)).length;
    }
    rows.push(text);
  }
  return { width, height, C, loop, rows };
}

// The keys that walk the board's cursor (a side, and the dot it points to)
// onto the loop and round it, pressing Space on each side: arrows walk one
// side on from the front dot, or on from the back dot when the front one
// would go back over the side itself.
function keysFor(stage) {
  const { C, width, height } = stage, R = 2 * height + 1;
  const dots = loopDots(stage.loop, C);
  const inside = (j, d) => (d === -1 ? j % C > 0 : d === 1 ? j % C < C - 1 : d < 0 ? j >= C : j < (R - 1) * C);
  const names = new Map([[-1, 'ArrowLeft'], [1, 'ArrowRight'], [-C, 'ArrowUp'], [C, 'ArrowDown']]);
  const goal = `${(dots.at(-1) + dots[0]) / 2},${dots[0]}`;
  const from = new Map([['1,2', null]]);
  for (const queue = ['1,2']; queue.length && !from.has(goal);) {
    const state = queue.shift(), [cur, front] = state.split(',').map(Number);
    for (const d of names.keys()) {
      const f = front + d === cur ? 2 * cur - front : front;
      const next = inside(f, d) ? `${f + d},${f + 2 * d}` : state;
      if (!from.has(next)) { from.set(next, [state, names.get(d)]); queue.push(next); }
    }
  }
  const keys = [];
  for (let state = goal; from.get(state); state = from.get(state)[0]) keys.unshift(from.get(state)[1]);
  dots.forEach((dot, i) => keys.push(names.get((dots[(i + 1) % dots.length] - dot) / 2), ' '));
  return keys;
}

// Runs in the page: what a board shows of stage `n`.
function boardState(n) {
  const stage = document.querySelectorAll('li.stage')[n - 1];
  const status = stage.querySelector('[role=status]');
  return {
    open: stage.querySelector('.board').classList.contains('play'),
    message: status ? status.textContent : null,
    on: [...stage.querySelectorAll('td.on')].length,
    crossed: [...stage.querySelectorAll('td.x')].length,
    over: [...stage.querySelectorAll('td.cell.over')].map((td) => td.parentNode.rowIndex * td.parentNode.cells.length + td.cellIndex),
    bad: [...stage.querySelectorAll('td.dot.bad')].map((td) => td.parentNode.rowIndex * td.parentNode.cells.length + td.cellIndex),
  };
}

const kPlay = 'この問題で遊ぶ';    // the button that opens a board
const kClearAll = '記録をすべて消す';
const kReset = 'やり直し';
const kUndo = '1 つ戻す';
const kRedo = '1 つ進める';
const kSolved = '解けました';
const kSplit = '輪が 2 個';

// Clicks sides of stage n's grid: with the mouse's `button` in Chromium,
// or without one by click events from the page itself (fast, for long loops).
async function clickSides(tab, n, sides, button) {
  if (button) {
    const C = await tab.evaluate((n) => document.querySelectorAll('table.grid')[n - 1].rows[0].cells.length, n);
    for (const j of sides) {
      await tab.locator('table.grid').nth(n - 1).locator('tr').nth(Math.floor(j / C)).locator('td').nth(j % C).click({ button });
    }
    return;
  }
  await tab.evaluate(({ n, sides }) => {
    const table = document.querySelectorAll('table.grid')[n - 1], C = table.rows[0].cells.length;
    for (const j of sides) table.rows[Math.floor(j / C)].cells[j % C].click();
  }, { n, sides: [...sides] });
}

async function expectBoard(tab, where, n, want) {
  const got = await tab.evaluate(boardState, n);
  const solved = got.message !== null && got.message.includes(kSolved);
  if (want.solved !== undefined && solved !== want.solved) fail(`${where}: ${want.solved ? 'not ' : ''}solved: "${got.message}"`);
  if (want.says && !got.message.includes(want.says)) fail(`${where}: the board says "${got.message}", not "${want.says}"`);
  for (const kind of ['over', 'bad']) {
    if (!want[kind]) continue;
    const wanted = want[kind].slice().sort((a, b) => a - b).join(' ');
    if (got[kind].slice().sort((a, b) => a - b).join(' ') !== wanted) fail(`${where}: ${kind} highlighted at [${got[kind]}], expected [${wanted}]`);
  }
  if (want.open !== undefined && got.open !== want.open) fail(`${where}: board ${got.open ? 'open' : 'closed'}`);
  for (const kind of ['on', 'crossed']) {
    if (want[kind] !== undefined && got[kind] !== want[kind]) fail(`${where}: ${got[kind]} sides ${kind}, expected ${want[kind]}`);
  }
  return got;
}

// Runs in the page: the contrast of the play marks against the card.
function playContrast() {
  const rgb = (text) => text.match(/\d+(\.\d+)?/g).slice(0, 3).map(Number);
  const lum = (c) => c.map((v) => v / 255).map((v) => (v <= 0.04045 ? v / 12.92 : ((v + 0.055) / 1.055) ** 2.4))
    .reduce((sum, v, i) => sum + v * [0.2126, 0.7152, 0.0722][i], 0);
  const card = rgb(getComputedStyle(document.querySelector('li.stage')).backgroundColor);
  const ratio = (c) => { const [a, b] = [lum(c), lum(card)].sort((x, y) => y - x); return (a + 0.05) / (b + 0.05); };
  const mark = (selector, pseudo, property) => {
    const element = document.querySelector(selector);
    return element ? Math.round(ratio(rgb(getComputedStyle(element, pseudo)[property])) * 100) / 100 : 0;
  };
  return { line: Math.min(mark('.play td.edge.on', '::before', 'borderTopColor'), mark('.play td.side.on', '::before', 'borderLeftColor')),
           cross: mark('.play td.x', '::after', 'color'),
           'wrong dot': mark('.play td.dot.bad', '::before', 'borderTopColor'),
           'wrong digit': mark('.play td.cell.over', null, 'outlineColor') };
}

async function checkPlay(quarnel, template) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'quarnel-play-'));
  workDirs.push(dir);
  // Stage 3 keeps its top left 4 x 4 cells blank and out of the loop, room
  // for a second loop that breaks no clue.
  const stages = [makeStage(3, 3, 7), makeStage(6, 6, 11), makeStage(40, 40, 13, (y, x) => y < 4 && x < 4)];
  console.log('stages: ' + stages.map((s) => `${s.width} x ${s.height}, a loop of ${s.loop.size} sides`).join('; '));
  const file = path.join(dir, 'play.dat');
  fs.writeFileSync(file, stages.map((s, i) => [`play ${i + 1}`, ...s.rows].join('\r\n')).join('\r\n*\r\n') + '\r\n');
  const script = fs.readFileSync(template, 'latin1').match(/<script>[^]*?<\/script>\r?\n/g) || [];
  if (script.length !== 1) fail(`the template holds ${script.length} script elements, expected 1`);
  const scriptBytes = script.length ? Buffer.byteLength(script[0].replace(/<\/?script>/g, '').trim(), 'latin1') : 0;
  console.log(`script: ${scriptBytes} bytes`);
  // Inline, ASCII, at most 16 KB, and nothing it could fetch from elsewhere:
  // its one address is puzz.link's, the start of the links a reader may click.
  if (scriptBytes > 16 * 1024) fail(`the script is ${scriptBytes} bytes, more than 16 KB`);
  if (script.length && /[^\x00-\x7f]/.test(script[0])) fail('the script holds characters outside ASCII');
  if (script.length && /https?:(?!\/\/puzz\.link\/p\?slither\/')|\bfetch\(|XMLHttpRequest|import\(|\bsrc\b/.test(script[0])) fail('the script names an address or fetches');
  const plain = path.join(dir, 'template-without-script.dat');
  fs.writeFileSync(plain, fs.readFileSync(template, 'latin1').replace(script[0] || '', ''), 'latin1');
  const { pages: [playPage] } = makePages(quarnel, template, [file]);
  const { pages: [plainPage] } = makePages(quarnel, plain, [file]);
  const browser = await launch();
  try {
    // Drawn by clicks, solved by the rules; a side taken out, then put back.
    const { context, tab } = await open(browser, playPage);
    const small = stages[1], big = stages[2];
    for (const n of [2, 3]) await tab.getByRole('button', { name: kPlay, exact: true }).nth(n - 1).click();
    await clickSides(tab, 2, small.loop);
    await expectBoard(tab, '6 x 6 drawn by clicks', 2, { solved: true, over: [], bad: [] });
    const gone = [...small.loop][0];
    await clickSides(tab, 2, [gone], 'left');
    const got = await expectBoard(tab, '6 x 6 with a side crossed out', 2, { solved: false, over: [], bad: [] });
    const total = small.width * small.height;
    if (!/ (\d+) \/ (\d+) /.test(got.message) || Number(RegExp.$1) >= total) fail(`6 x 6 with a side crossed out says "${got.message}"`);
    await clickSides(tab, 2, [gone, gone], 'left');
    await expectBoard(tab, '6 x 6 with the side drawn again', 2, { solved: true });
    // The 40 x 40 loop; a second loop in the blank corner; a branch.
    await clickSides(tab, 3, big.loop);
    await expectBoard(tab, '40 x 40 drawn by clicks', 3, { solved: true, on: big.loop.size });
    const second = [-1, 1, -big.C, big.C].map((d) => 3 * big.C + 3 + d);
    await clickSides(tab, 3, second);
    await expectBoard(tab, '40 x 40 with a second loop', 3, { solved: false, says: kSplit, over: [], bad: [] });
    await clickSides(tab, 3, [...second, ...second]);
    const around = (j) => [-1, 1, -big.C, big.C].map((d) => j + d);
    const ends = (j) => (Math.floor(j / big.C) % 2 ? [j - big.C, j + big.C] : [j - 1, j + 1]);
    const onLoop = (dot) => around(dot).some((j) => big.loop.has(j));
    const spur = [...big.loop].map((j) => j + 2).find((j) => !big.loop.has(j) && ends(j).filter(onLoop).length === 1);
    const clued = (j) => Math.floor(j / big.C) % 2 && j % big.C % 2 && big.rows[Math.floor(j / big.C / 2)]?.[Math.floor(j % big.C / 2)] !== '.';
    await clickSides(tab, 3, [spur]);
    await expectBoard(tab, '40 x 40 with a branch', 3, {
      solved: false, bad: ends(spur).filter(onLoop), over: around(spur).filter((j) => j >= 0 && j < big.C * big.C && clued(j)),
    });
    // A side crossed out by a right-click, then axe and the marks' contrast,
    // light and dark.
    await clickSides(tab, 2, [[...small.loop][1]], 'right');
    await expectBoard(tab, '6 x 6 with a side crossed out by a right-click', 2, { solved: false, crossed: 1 });
    for (const scheme of ['light', 'dark']) {
      await tab.emulateMedia({ colorScheme: scheme });
      await tab.addScriptTag({ path: axeSource });
      // The 40 x 40 grid's cells are left out (the 6 x 6 grid's are of the
      // same kind; the stress page's are in browser.page_access): they
      // would take axe seconds.
      const result = await tab.evaluate(() => window.axe.run({ exclude: [['li.stage:nth-child(3) table.grid']] }, { resultTypes: ['violations'] }));
      for (const v of result.violations) fail(`play (${scheme}): axe ${v.id}: ${v.help} (${v.nodes[0].target.join(' ')})`);
      const marks = await tab.evaluate(playContrast);
      for (const [name, ratio] of Object.entries(marks)) if (!(ratio >= kGraphicContrast)) fail(`play (${scheme}): ${name} contrast ${ratio}:1`);
      console.log(`play (${scheme}): axe-core ${result.violations.length} violations with boards open; marks ` +
                  Object.entries(marks).map(([name, ratio]) => `${name} ${ratio}:1`).join(', '));
    }
    // Kept over a reload, gone after "clear all".
    await reload(tab);
    await expectBoard(tab, 'reloaded', 3, { open: true, on: big.loop.size + 1 });
    await tab.getByRole('button', { name: kClearAll }).click();
    await reload(tab);
    for (const n of [2, 3]) await expectBoard(tab, `stage ${n} after clearing all and a reload`, n, { open: false, on: 0 });
    const kept = await tab.evaluate(() => Object.keys(localStorage).length);
    if (kept) fail(`${kept} entries left in localStorage after clearing all`);
    // Each click on the 40 x 40 grid, measured in the page: from the click
    // event to the end of its handling with style and layout done, and to
    // the frame after it.
    await tab.getByRole('button', { name: kPlay, exact: true }).nth(2).click();
    await tab.evaluate(() => {
      window.clickTimes = [];
      window.addEventListener('click', (e) => {
        document.body.offsetHeight;
        const done = performance.now() - e.timeStamp;
        requestAnimationFrame(() => setTimeout(() => window.clickTimes.push([done, performance.now() - e.timeStamp])));
      });
    });
    for (let k = 0; k < 20; ++k) {
      const x = 2 * ((k * 7) % 40);
      await clickSides(tab, 3, [k % 2 ? (2 * k + 1) * big.C + x : 2 * k * big.C + x + 1], 'left');
    }
    await tab.waitForTimeout(500);
    const times = await tab.evaluate(() => window.clickTimes);
    const ms = (t) => t.toFixed(1) + ' ms';
    for (const [i, what] of [[0, 'handled, style and layout done'], [1, 'next frame']]) {
      const sorted = times.map((t) => t[i]).sort((a, b) => a - b);
      console.log(`40 x 40, ${sorted.length} clicks, ${what}: median ${ms(sorted[sorted.length >> 1])}, ` +
                  `max ${ms(sorted.at(-1))}, ${sorted.filter((t) => t > 50).length} over 50 ms`);
    }
    await context.close();

    // The 3 x 3 stage solved from the keyboard alone.
    {
      const { context, tab } = await open(browser, playPage);
      const focused = () => tab.evaluate(() => { const e = document.activeElement; return e.className || e.textContent; });
      for (let i = 0; i < 5 && (await focused()) !== kPlay; ++i) await tab.keyboard.press('Tab');
      await tab.keyboard.press('Enter');
      for (let i = 0; i < 5 && (await focused()) !== 'board play'; ++i) await tab.keyboard.press('Tab');
      if ((await focused()) !== 'board play') fail(`keyboard: the open board never took the focus (${await focused()})`);
      const keys = keysFor(stages[0]);
      for (const key of keys) await tab.keyboard.press(key === ' ' ? 'Space' : key);
      const got = await expectBoard(tab, '3 x 3 from the keyboard', 1, { solved: true, on: stages[0].loop.size });
      if (!/^解けました。かかった時間：(\d+ 時間 )?(\d+ 分 )?\d+ 秒$/.test(got.message)) fail(`solved, the board says "${got.message}", not the time taken`);
      await tab.keyboard.press('Escape');
      if ((await focused()) !== kPlay) fail('keyboard: Escape left the focus on the board');
      console.log(`keyboard: ${keys.length} keys; the live region says "${got.message}"`);
      await context.close();
    }
    // Without script, the page is the page of the template without it
    // (the script element and the line break before it).
    const doms = [];
    for (const page of [playPage, plainPage]) {
      const { context, tab } = await open(browser, page, { javaScriptEnabled: false });
      if (page === playPage) {
        // The rules show; the controls line and every side's line do not.
        const shown = await tab.evaluate(() => ({
          rules: document.querySelector('.rules')?.offsetHeight > 0 && document.querySelector('.rules').textContent,
          help: document.querySelector('.q-help')?.offsetHeight,
          link: document.querySelectorAll('a').length,
          lines: [...document.querySelectorAll('td.edge, td.side')].filter((td) => {
            const mark = getComputedStyle(td, '::before');
            return ['Top', 'Left'].some((side) => parseFloat(mark[`border${side}Width`]) > 0 && mark[`border${side}Color`] !== 'rgba(0, 0, 0, 0)');
          }).length,
        }));
        if (!shown.rules || !shown.rules.includes('ルール')) fail('without script, no rules show');
        if (shown.help) fail('without script, the controls line shows');
        if (shown.link) fail(`without script, the page holds ${shown.link} link(s)`);
        if (shown.lines) fail(`without script, ${shown.lines} sides show a line`);
      }
      doms.push(await tab.evaluate(() => {
        for (const script of document.querySelectorAll('script')) {
          if (script.previousSibling?.nodeType === Node.TEXT_NODE && !script.previousSibling.data.trim()) script.previousSibling.remove();
          script.remove();
        }
        return document.documentElement.outerHTML;
      }));
      await context.close();
    }
    if (doms[0] !== doms[1]) fail('without script, the page differs from the page of the template without its script');
  } finally {
    await browser.close();
  }
}

// Runs in the page: every board's state, as one comparable text: open or
// not, then each side's mark (. none, - line, x cross).
function boardsShown() {
  return [...document.querySelectorAll('.board')].map((board) => (board.classList.contains('play') ? 'open ' : 'closed ') +
    [...board.querySelectorAll('td.edge, td.side')].map((td) => (td.classList.contains('on') ? '-' : td.classList.contains('x') ? 'x' : '.')).join('')).join('\n');
}

// Reloads the page once what it stored has reached the browser. A page's
// localStorage writes travel to the browser process on their own, and on a
// busy machine a reload can read the storage from before the last of them,
// even after a pause. So the storage the page starts with is read before
// its script runs, and the tab is reloaded again, a little later each time,
// until that is what the page had stored.
const tabsWatched = new WeakSet();
function storageNow() {
  const entries = [];
  for (let k = 0; k < localStorage.length; ++k) entries.push([localStorage.key(k), localStorage.getItem(localStorage.key(k))]);
  return JSON.stringify(entries.sort());
}
async function reload(tab) {
  if (!tabsWatched.has(tab)) {
    tabsWatched.add(tab);
    await tab.addInitScript(`window.storageAtStart = (${storageNow})();`);
  }
  const stored = await tab.evaluate(storageNow);
  for (let attempt = 1; attempt <= 5; ++attempt) {
    await tab.waitForTimeout(300 * attempt);
    await tab.reload();
    if ((await tab.evaluate(() => window.storageAtStart)) === stored) return;
    console.log(`reload ${attempt}: the page started with its storage from before its last writes`);
  }
  fail('five reloads, and the page never started with the storage it had stored');
}

// Runs in the page: the sides drawn on stage n's grid, by number.
function sidesOn(n) {
  return [...document.querySelectorAll('table.grid')[n - 1].querySelectorAll('td.on')]
    .map((td) => td.parentNode.rowIndex * td.parentNode.cells.length + td.cellIndex).sort((a, b) => a - b);
}

// Runs in the page: every grid's box on the page (not the window), rounded
// to a tenth of a pixel.
function gridBoxes() {
  return [...document.querySelectorAll('table.grid')].map((grid) => {
    const box = grid.getBoundingClientRect();
    return [box.left + scrollX, box.top + scrollY, box.width, box.height].map((v) => Math.round(v * 10) / 10);
  });
}

// The centre of the dot in row y, column x (from 0) of stage n's grid.
async function dotAt(tab, n, y, x) {
  const box = await tab.locator('table.grid').nth(n - 1).locator('tr').nth(2 * y).locator('td').nth(2 * x).boundingBox();
  return { x: box.x + box.width / 2, y: box.y + box.height / 2 };
}

// Fails when a grid moved more than 1 px (or changed size) since `before`.
async function expectStill(tab, where, before) {
  const after = await tab.evaluate(gridBoxes);
  after.forEach((box, i) => {
    const moved = Math.max(...box.map((v, k) => Math.abs(v - before[i][k])));
    if (moved > 1) fail(`${where}: grid ${i + 1} moved or changed by ${moved.toFixed(1)} px ([${before[i]}] -> [${box}])`);
  });
}

// What a solver does on the example page and on generated stages: drags
// with a mouse and a finger, undo and redo, a layout that holds still,
// progress kept when the collection changes, the status line's words, the
// page without script.
async function checkSolve(quarnel, template, example) {
  const { work, pages: [examplePage] } = makePages(quarnel, template, [example]);
  const browser = await launch();
  try {
    // A mouse drags across four dots of stage 2's top row: three lines;
    // from the drawn second side back, it erases. The page does not scroll.
    {
      const { context, tab } = await open(browser, examplePage);
      const tabStops = () => tab.evaluate(() => [...document.querySelectorAll('.board')].filter((b) => b.tabIndex >= 0).length);
      if (await tabStops()) fail(`${await tabStops()} boards are Tab stops before any is in play`);
      await tab.getByRole('button', { name: kPlay, exact: true }).nth(1).click();
      if ((await tabStops()) !== 1) fail(`${await tabStops()} boards are Tab stops with one in play`);
      const before = await tab.evaluate(() => scrollY);
      const drag = async (from, to) => {
        const [a, b] = [await dotAt(tab, 2, 0, from), await dotAt(tab, 2, 0, to)];
        await tab.mouse.move(a.x, a.y);
        await tab.mouse.down();
        await tab.mouse.move(b.x, b.y, { steps: 12 });
        await tab.mouse.up();
      };
      await drag(0, 3);
      let shown = await tab.evaluate(sidesOn, 2);
      if (shown.join() !== '1,3,5') fail(`a mouse drag across four dots drew sides [${shown}], expected [1,3,5]`);
      await drag(1, 3);
      shown = await tab.evaluate(sidesOn, 2);
      if (shown.join() !== '1') fail(`a mouse drag from a drawn side left sides [${shown}], expected [1]`);
      if ((await tab.evaluate(() => scrollY)) !== before) fail('a mouse drag scrolled the page');
      console.log('mouse: a drag across four dots drew three sides, a drag from a drawn side erased two');
      // Rule breaks said in words and shown by shape.
      await tab.getByRole('button', { name: kPlay, exact: true }).nth(0).click();
      const says = () => tab.evaluate(() => document.querySelector('[role=status]').textContent);
      await clickSides(tab, 1, [15], 'left');
      if ((await says()) !== '2 行 1 列の 0 に線が多すぎます') fail(`a line by a 0 says "${await says()}"`);
      await clickSides(tab, 1, [17, 9], 'left');
      if ((await says()) !== '2 行 2 列の点に線が 3 本あります') fail(`three lines at a dot say "${await says()}"`);
      const shapes = await tab.evaluate(() => {
        const [over, bad] = [document.querySelector('td.cell.over'), document.querySelector('td.dot.bad')];
        return { dashed: over && getComputedStyle(over).outlineStyle, wavy: over && getComputedStyle(over).textDecorationStyle,
                 ring: bad && getComputedStyle(bad, '::before').boxShadow };
      });
      if (shapes.dashed !== 'dashed' || shapes.wavy !== 'wavy' || !/px/.test(shapes.ring || '')) fail(`rule breaks shown as ${JSON.stringify(shapes)}`);
      console.log(`status: "2 行 1 列の 0 に線が多すぎます", "2 行 2 列の点に線が 3 本あります"; shapes ${JSON.stringify(shapes)}`);
      await context.close();
    }
    // A finger drags down four dots of stage 1's first column on a phone:
    // three lines, and the page stays where it was. Its cells are at least
    // 32 px; the 15-column grid scrolls in its card.
    {
      const { context, tab } = await open(browser, examplePage, { viewport: { width: 390, height: 844 }, hasTouch: true, isMobile: true });
      await tab.getByRole('button', { name: kPlay, exact: true }).nth(0).tap();
      await tab.evaluate(() => { document.querySelector('.board').scrollIntoView({ block: 'center' }); });
      const before = await tab.evaluate(() => scrollY);
      const session = await context.newCDPSession(tab);
      const touch = (type, points) => session.send('Input.dispatchTouchEvent', { type, touchPoints: points });
      const [a, b] = [await dotAt(tab, 1, 0, 0), await dotAt(tab, 1, 3, 0)];
      await touch('touchStart', [a]);
      for (let k = 1; k <= 12; ++k) await touch('touchMove', [{ x: a.x + (b.x - a.x) * k / 12, y: a.y + (b.y - a.y) * k / 12 }]);
      await touch('touchEnd', []);
      const C = 7, shown = await tab.evaluate(sidesOn, 1);
      if (shown.join() !== '7,21,35') fail(`a finger drag down four dots drew sides [${shown}], expected [7,21,35]`);
      const after = await tab.evaluate(() => scrollY);
      if (after !== before) fail(`a finger drag on the board scrolled the page from ${before} to ${after} px`);
      const sizes = await tab.evaluate(() => [...document.querySelectorAll('.board')].map((board) => ({
        cell: board.querySelector('td.cell').getBoundingClientRect().width, scrolls: board.scrollWidth > board.clientWidth })));
      sizes.forEach(({ cell, scrolls }, i) => { if (cell < 32) fail(`phone: stage ${i + 1}'s cells are ${cell} px`); });
      if (!sizes[4].scrolls) fail('phone: the 15-column grid does not scroll in its card');
      if (await tab.evaluate(() => document.documentElement.scrollWidth > document.documentElement.clientWidth)) fail('phone: the page scrolls sideways');
      console.log(`finger: a drag down four dots drew three sides, the page stayed at ${after} px; cells ` +
                  sizes.map((s) => Math.round(s.cell)).join(', ') + ' px');
      // Taps and the status line move no grid.
      const still = await tab.evaluate(gridBoxes);
      for (const j of [1, 3, 15, 17, 9, 5 * C + 3]) {
        await tab.locator('table.grid').nth(0).locator('tr').nth(Math.floor(j / C)).locator('td').nth(j % C).tap();
        await expectStill(tab, `phone, tap on side ${j}`, still);
      }
      // A long press crosses a side out.
      const side = await tab.locator('table.grid').nth(0).locator('tr').nth(6).locator('td').nth(1).boundingBox();
      await touch('touchStart', [{ x: side.x + side.width / 2, y: side.y + side.height / 2 }]);
      await tab.waitForTimeout(800);
      await touch('touchEnd', []);
      if (!(await tab.evaluate(() => document.querySelector('table.grid').rows[6].cells[1].classList.contains('x')))) fail('a long press did not cross the side out');
      await context.close();
    }
    // Undo and redo: clicks, a reset and a clear of all, undone step by
    // step to the first state and redone, by keys and buttons.
    {
      const { context, tab } = await open(browser, examplePage);
      const play = tab.getByRole('button', { name: kPlay, exact: true });
      const boxes = await tab.evaluate(gridBoxes);
      await play.nth(0).click();
      await expectStill(tab, 'stage 1 opened', boxes);
      await play.nth(1).click();
      await expectStill(tab, 'stage 2 opened', boxes);
      const states = [await tab.evaluate(boardsShown)];
      const after = async (action) => { await action(); states.push(await tab.evaluate(boardsShown)); };
      await after(() => clickSides(tab, 1, [1], 'left'));
      await after(() => clickSides(tab, 1, [1], 'left'));
      await after(() => clickSides(tab, 2, [11], 'left'));
      await after(() => tab.getByRole('button', { name: kReset, exact: true }).nth(0).click());
      await after(() => clickSides(tab, 1, [9], 'left'));
      await after(() => tab.getByRole('button', { name: kClearAll }).click());
      if (new Set(states).size !== states.length) fail('undo: two steps of the sequence show the same boards');
      const expect = async (where, k) => {
        const got = await tab.evaluate(boardsShown);
        if (got !== states[k]) fail(`${where}: the boards are not as after step ${k}:\n${got}\nexpected\n${states[k]}`);
      };
      const undo = [() => tab.keyboard.press('Control+Z'), () => tab.getByRole('button', { name: kUndo }).click()];
      for (let k = states.length - 2; k >= 0; --k) {
        await undo[k % 2]();
        await expect(`undone to step ${k}`, k);
      }
      await tab.keyboard.press('Control+Z');
      await expect('undone once more than there were steps', 0);
      if (!(await tab.getByRole('button', { name: kUndo }).isDisabled())) fail('undo is not disabled with nothing to undo');
      const redo = [() => tab.keyboard.press('Control+Y'), () => tab.keyboard.press('Control+Shift+Z'),
                    () => tab.getByRole('button', { name: kRedo }).click()];
      for (let k = 1; k < states.length; ++k) {
        await redo[k % 3]();
        await expect(`redone to step ${k}`, k);
      }
      // The clear undone: the lines are kept again, over a reload.
      await tab.keyboard.press('Control+Z');
      await expect('the clear undone', states.length - 2);
      await reload(tab);
      await expect('the clear undone, then a reload', states.length - 2);
      console.log(`undo: ${states.length - 1} steps undone to the first state and redone, by keys and buttons`);
      // Keys and the status line move no grid.
      await tab.locator('.board').nth(0).focus();
      for (const key of ['ArrowRight', 'ArrowDown', 'Space', 'x', 'ArrowLeft', 'ArrowUp', 'Space', 'Control+Z']) {
        await tab.keyboard.press(key);
        await expectStill(tab, `key ${key}`, boxes);
      }
      await context.close();
    }
    await checkProgress(browser, work);
  } finally {
    await browser.close();
  }
}

// Progress kept by the board, not by the stage's number: a stage inserted
// at the top and the page made again, the other stages keep their lines;
// a record kept by the stage's number is moved to the board's own key.
async function checkProgress(browser, work) {
  const [a, b, x] = [makeStage(3, 3, 7), makeStage(4, 4, 5), makeStage(5, 5, 9)];
  const file = path.join(work, 'pages', 'progress.dat');
  const convert = (stages) => {
    fs.writeFileSync(file, stages.map(([title, s]) => [title, ...s.rows].join('\r\n')).join('\r\n*\r\n') + '\r\n');
    const env = { ...process.env };
    delete env.DISPLAY;
    delete env.WAYLAND_DISPLAY;
    run(path.join(work, 'bin', 'quarnel'), [file], { env, stdio: ['ignore', 'pipe', 'pipe'], timeout: 60000 });
    return file.replace(/\.dat$/, '.html');
  };
  const page = convert([['a', a], ['b', b]]);
  const { context, tab } = await open(browser, page);
  for (const n of [1, 2]) await tab.getByRole('button', { name: kPlay, exact: true }).nth(n - 1).click();
  await clickSides(tab, 1, [1, 3]);
  await clickSides(tab, 2, [1, 1]);
  const [shownA, shownB] = (await tab.evaluate(boardsShown)).split('\n');
  // Stage b's record as an older page kept it: under its number.
  const moved = await tab.evaluate(() => {
    const key = Object.keys(localStorage).find((k) => k.includes('|4x4|'));
    const older = key.replace('|4x4|', '|2|4x4|');
    localStorage.setItem(older, localStorage.getItem(key));
    localStorage.removeItem(key);
    return { key, older };
  });
  convert([['x', x], ['a', a], ['b', b]]);
  await reload(tab);
  const shown = (await tab.evaluate(boardsShown)).split('\n');
  if (shown[0].startsWith('open') || shown[0].includes('-') || shown[0].includes('x')) fail(`the inserted stage shows "${shown[0]}"`);
  if (shown[1] !== shownA) fail(`after a stage was inserted, stage a shows\n${shown[1]}\nexpected\n${shownA}`);
  if (shown[2] !== shownB) fail(`after a stage was inserted, stage b (kept by its number) shows\n${shown[2]}\nexpected\n${shownB}`);
  const keys = await tab.evaluate(() => Object.keys(localStorage));
  if (keys.includes(moved.older) || !keys.includes(moved.key)) fail(`the record by number was not moved: ${keys.join(', ')}`);
  console.log(`progress: a stage inserted at the top, the other two keep their lines; a record by number moved to ${moved.key.replace(/^.*\|(\d+x\d+)\|.*$/, '$1 ...')}`);
  await context.close();
}

// The loop that solves the example's stage 2, by side.
const kStage2Loop = [3, 5, 7, 13, 19, 27, 35, 37, 39, 41, 57, 59, 61, 63, 75, 79, 81, 83, 87, 91, 95, 97];

async function makePictures(quarnel, template, example, outDir) {
  const { pages } = makePages(quarnel, template, [example]);
  const browser = await launch();
  try {
    for (const scheme of ['light', 'dark']) {
      const { context, tab } = await open(browser, pages[0], { colorScheme: scheme });
      const file = path.join(outDir, scheme === 'light' ? 'example-page.png' : 'example-page-dark.png');
      await tab.screenshot({ path: file });
      console.log('written: ' + file);
      await context.close();
    }
    // Stage 1 in play, with a wrong digit, a wrong dot and a cross; stage
    // 2 solved (one of its loops).
    {
      const { context, tab } = await open(browser, pages[0]);
      const play = tab.getByRole('button', { name: kPlay, exact: true });
      await play.nth(0).click();
      await play.nth(1).click();
      await clickSides(tab, 1, [3, 5, 13, 9, 1, 15]);
      await clickSides(tab, 1, [15]);
      await clickSides(tab, 2, kStage2Loop);
      await tab.locator('.board').nth(0).focus();
      const file = path.join(outDir, 'example-page-play.png');
      await tab.screenshot({ path: file });
      console.log('written: ' + file);
      await context.close();
    }
    // A phone: stage 2 in play, most of its loop drawn, a side crossed out.
    {
      const { context, tab } = await open(browser, pages[0], { viewport: { width: 390, height: 844 }, hasTouch: true, isMobile: true });
      await tab.getByRole('button', { name: kPlay, exact: true }).nth(1).tap();
      await clickSides(tab, 2, kStage2Loop.slice(0, 15));
      await clickSides(tab, 2, [1, 1]);
      await tab.evaluate(() => { window.scrollTo(0, document.querySelectorAll('li.stage')[1].offsetTop - 60); });
      const file = path.join(outDir, 'example-page-phone.png');
      await tab.screenshot({ path: file });
      console.log('written: ' + file);
      await context.close();
    }
    const pdf = path.join(os.tmpdir(), `quarnel-print-${process.pid}.pdf`);
    await printPage(browser, pages[0], pdf, 'A4');
    const prefix = path.join(outDir, 'example-page-print');
    run('pdftoppm', ['-png', '-r', '100', '-f', '1', '-l', '1', '-singlefile', pdf, prefix]);
    fs.rmSync(pdf);
    console.log(`written: ${prefix}.png`);
  } finally {
    await browser.close();
  }
}

// The stages of examples/stages.dat as a reader sees them: title, then each
// data row's cells (blanks show as blank cells, full-width digits as
// digits, short rows filled with blank cells to the widest row).
const kExampleStages = [
  ['はじめの一歩', ['  2', '0 3', '  1']],
  ['Stage 2: five by five', ['1  21', '  3 1', '1  22', '  2 3', '  0 1']],
  ['ステージ３：全角の数字', [' 21 0', '    2', ' 3  2', '1  11', ' 0  2']],
  ['Ragged rows', ['02   1', '   3  ', ' 2 3  ', ' 1   3', ' 11   ', '  2  3']],
  ['ステージ５：大きな盤面', [
    ' 2 2 222 1    1', '20 2 0    220 3', '   3212 1     3', '          33  3',
    '13 211 0 20   1', '1 12  111 2 2 1', '12  1       1 1', '1  22 22  11  1',
    '2  1   1   3  3', ' 2   0   21 3 1']],
];

// Runs in the page: each stage item's title (without its number badge),
// size line, number of grid tables and rows, each row a list of cells.
function readStages() {
  return [...document.querySelectorAll('li.stage')].map((item) => {
    const heading = item.querySelector('h2')?.cloneNode(true);
    heading?.querySelectorAll('span.no').forEach((badge) => badge.remove());
    return {
      title: heading?.textContent ?? '',
      size: item.querySelector('p.size')?.textContent ?? '',
      tables: item.querySelectorAll('table.grid').length,
      rows: [...item.querySelectorAll('tr')].map((row) => [...row.querySelectorAll('td')].map(
        (cell) => ({ kind: cell.classList[0] ?? '', cell: cell.classList.contains('cell'), text: cell.textContent }))),
    };
  });
}

// The example page as loaded: each stage's grid table has 2 x height + 1
// rows, frame and data rows alternate, and the cells show the stage's
// values. Keeps a screenshot.
async function checkExample(quarnel, template, example, outDir, quarnelCheck) {
  const { pages } = makePages(quarnel, template, [example]);
  const browser = await launch();
  let stages, links;
  const screenshot = path.join(outDir, 'example-page.png');
  try {
    const { context, tab } = await open(browser, pages[0]);
    stages = await tab.evaluate(readStages);
    links = await tab.evaluate(() => [...document.querySelectorAll('li.stage')].map((li) =>
      [...li.querySelectorAll('a')].map((a) => `${a.textContent} ${a.getAttribute('href')} ${a.target} ${a.rel}`).join('\n')));
    // Before play, the whole page shows dots and digits and no side: the
    // card's paper halfway between every two neighbouring dots.
    const whole = readPng(await tab.screenshot({ path: screenshot, fullPage: true }));
    const { dots, sides } = exampleLattice();
    const grid = checkGrid(whole, { dot: [4, 8], dots, sides });
    grid.faults.forEach((f) => fail(`the page before play: ${f}`));
    console.log(`the page before play: ${grid.found.length} dots, ${grid.pairs.length - grid.drawn.length} of ` +
                `${grid.pairs.length} sides clean, ${grid.pitch} px from dot to dot`);
    await context.close();
  } finally {
    await browser.close();
  }
  if (!fs.existsSync(screenshot) || fs.statSync(screenshot).size === 0) fail('no screenshot written');
  if (stages.length !== kExampleStages.length) {
    fail(`${stages.length} stages on the page, expected ${kExampleStages.length}`);
  }
  stages.slice(0, kExampleStages.length).forEach((stage, i) => {
    const where = `stage ${i + 1}`;
    const [title, data] = kExampleStages[i];
    const [height, width] = [data.length, data[0].length];
    if (stage.title.trim() !== title) fail(`${where}: title "${stage.title}", expected "${title}"`);
    if (!stage.size.includes(`幅 ${width} × 高さ ${height}`)) fail(`${where}: size line "${stage.size}"`);
    if (stage.tables !== 1) fail(`${where}: ${stage.tables} grid tables`);
    if (stage.rows.length !== 2 * height + 1) {
      fail(`${where}: ${stage.rows.length} rows, expected ${2 * height + 1}`);
      return;
    }
    stage.rows.forEach((row, index) => {
      const pair = index % 2 === 0 ? ['dot', 'edge'] : ['side', 'cell'];
      const want = [...Array(width).fill(pair).flat(), pair[0]].join(' ');
      const kinds = row.map((cell) => cell.kind).join(' ');
      if (kinds !== want) fail(`${where}, row ${index + 1}: cells ${kinds}`);
      if (index % 2 === 1) {
        const shown = row.filter((cell) => cell.cell).map((cell) => (cell.text.trim() ? cell.text : ' ')).join('');
        const line = (index + 1) / 2;
        if (shown !== data[line - 1]) fail(`${where}, grid row ${line}: "${shown}", expected "${data[line - 1]}"`);
      }
    });
  });
  // Each stage's link: the address quarnel-check prints for it, opened in
  // a new tab by the reader's click alone.
  // (Status 1: the example's ragged stage draws a warning.)
  const checked = spawnSync(quarnelCheck, ['--no-solve', '--urls', example], { encoding: 'utf8', timeout: 60000 });
  if (checked.status !== 0 && checked.status !== 1) fail(`quarnel-check --urls: status ${checked.status}\n${checked.stderr}`);
  const urls = [...(checked.stdout || '').matchAll(/ (https:\/\/\S+)$/gm)].map((m) => m[1]);
  if (urls.length !== links.length) fail(`quarnel-check printed ${urls.length} addresses for ${links.length} stages`);
  links.forEach((link, i) => {
    const want = `puzz.link で開く ${urls[i]} _blank noopener`;
    if (link !== want) fail(`stage ${i + 1}: link "${link}", expected "${want}"`);
  });
  console.log(`example: ${stages.length} stages checked in the rendered page, ${links.length} links; screenshot ${screenshot}`);
}

async function main() {
  const [check, quarnel, template, example, stress, outDir, quarnelCheck] = process.argv.slice(2);
  if (!outDir || (check === 'example' && !quarnelCheck)) {
    console.error('usage: node page_checks.mjs example|access|html|print|play|solve|pictures QUARNEL TEMPLATE EXAMPLE STRESS OUT_DIR [QUARNEL_CHECK]');
    return 2;
  }
  fs.mkdirSync(outDir, { recursive: true });
  if (check === 'example') await checkExample(quarnel, template, example, outDir, quarnelCheck);
  else if (check === 'access') await checkAccess(quarnel, template, example, stress);
  else if (check === 'html') await checkHtml(quarnel, template, example, stress);
  else if (check === 'print') await checkPrint(quarnel, template, example, stress, outDir);
  else if (check === 'play') await checkPlay(quarnel, template);
  else if (check === 'solve') await checkSolve(quarnel, template, example);
  else if (check === 'pictures') await makePictures(quarnel, template, example, outDir);
  else {
    console.error(`unknown check "${check}"`);
    return 2;
  }
  if (failures.length) {
    console.error(`${check}: ${failures.length} check(s) failed`);
    return 1;
  }
  console.log(`${check}: all checks passed`);
  return 0;
}

function cleanUp() {
  for (const dir of workDirs) fs.rmSync(dir, { recursive: true, force: true });
}

main().then((status) => {
  cleanUp();
  process.exit(status);
}, (error) => {
  console.error(error.stack || String(error));
  cleanUp();
  process.exit(1);
});
