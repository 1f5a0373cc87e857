#!/usr/bin/env node
// Checks the page that the default template makes, as its visitors get it:
// builds the pages of the example and of the stress stage file with the real
// program, then looks at them in headless Chromium and in the Nu HTML
// Checker.
//
// usage: node page_checks.mjs CHECK QUARNEL TEMPLATE EXAMPLE STRESS OUT_DIR
//   access    axe-core in light and dark colour schemes, the contrast of
//             every colour pair, grids named by their headings, wide grids
//             scrolling inside their cards
//   html      the Nu HTML Checker on both pages
//   print     print to PDF: black on white, each stage whole on one page
//   pictures  the README's pictures: light, dark, printed first page
// OUT_DIR receives the PDFs and pictures. Chromium is $CHROMIUM (default
// /usr/bin/chromium).
import { execFile, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';

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
  add('grid line across', 'graphic', 'td.edge', 'borderTopColor', '::before');
  add('grid line down', 'graphic', 'td.side', 'borderLeftColor', '::before');
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
    for (const page of pages) {
      const name = path.basename(page);
      for (const scheme of ['light', 'dark']) {
        const where = `${name} (${scheme})`;
        const { context, tab } = await open(browser, page, { colorScheme: scheme });
        await tab.addScriptTag({ path: axeSource });
        const result = await tab.evaluate(() => window.axe.run(document, { resultTypes: ['violations'] }));
        for (const violation of result.violations) {
          const targets = violation.nodes.slice(0, 3).map((node) => node.target.join(' ')).join('; ');
          fail(`${where}: axe ${violation.id} on ${violation.nodes.length} element(s): ${violation.help} (${targets})`);
        }
        console.log(`${where}: axe-core ${result.testEngine.version}, ${result.passes.length} rules passed, ` +
                    `${result.violations.length} violated`);
        // The first grid takes the keyboard's focus, so it can scroll.
        await tab.keyboard.press('Tab');
        checkContrast(where, await tab.evaluate(measureContrast));
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
        }
        await context.close();
      }
      // Wide grids scroll in their cards: the page itself never scrolls
      // sideways, on a wide window or a phone's.
      for (const width of [1100, 360]) {
        const where = `${name} at ${width} px`;
        const { context, tab } = await open(browser, page, { viewport: { width, height: 760 } });
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
        await context.close();
      }
    }
  } finally {
    await browser.close();
  }
}

async function checkHtml(quarnel, template, example, stress) {
  const { work, pages } = makePages(quarnel, template, [example, stress]);
  // The checker reads the encoding from the page's own declaration when it
  // fetches the page over HTTP; a file given by name it takes as UTF-8. The
  // server names no charset, as a plain web server would not.
  const server = http.createServer((request, response) => {
    const file = path.join(work, 'pages', path.basename(decodeURIComponent(request.url)));
    if (!fs.existsSync(file)) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { 'Content-Type': 'text/html' }).end(fs.readFileSync(file));
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const base = `http://127.0.0.1:${server.address().port}/`;
  let report;
  try {
    const urls = pages.map((page) => base + path.basename(page));
    report = await new Promise((resolve, reject) => {
      execFile('java', ['-Dnu.validator.servlet.allow-forbidden-hosts=true', '-jar', vnuJar,
                        '--format', 'json', '--stdout', '--exit-zero-always', ...urls],
               { timeout: 180000, maxBuffer: 64 << 20 },
               (error, stdout, stderr) => (error ? reject(new Error(`${error.message}\n${stderr}`)) : resolve(stdout)));
    });
  } finally {
    server.close();
  }
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

async function printPage(browser, page, pdf, format, colorScheme = 'light') {
  const { context, tab } = await open(browser, page, { colorScheme });
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
      const what = element.tagName.toLowerCase() + (element.className ? '.' + element.className : '');
      if (element.textContent.trim() && style.color !== black) faults.push(`${what}: text ${style.color}`);
      if (!clear.includes(style.backgroundColor)) faults.push(`${what}: background ${style.backgroundColor}`);
      if (style.backgroundImage !== 'none') faults.push(`${what}: background image`);
      if (style.boxShadow !== 'none') faults.push(`${what}: shadow`);
      for (const pseudo of ['::before', '::after']) {
        const mark = getComputedStyle(element, pseudo);
        if (mark.content === 'none' || mark.content === 'normal') continue;
        for (const side of ['Top', 'Left']) {
          const width = parseFloat(mark[`border${side}Width`]);
          if (width > 0 && mark[`border${side}Color`] !== black) faults.push(`${what}${pseudo}: line ${mark[`border${side}Color`]}`);
        }
      }
    }
    return faults;
  });
  await tab.pdf({ path: pdf, format, printBackground: false });
  await context.close();
  return { stages, styles };
}

async function checkPrint(quarnel, template, example, stress, outDir) {
  const { pages: [examplePage, stressPage] } = makePages(quarnel, template, [example, stress]);
  const browser = await launch();
  try {
    // A5 takes the example onto two pages, so a page break falls among
    // its stages; a dark colour scheme must not reach the paper; the stress
    // page's 40-column grid is wider than the paper.
    const prints = [
      { page: examplePage, format: 'A4', scheme: 'light' },
      { page: examplePage, format: 'A5', scheme: 'light', pages: 2 },
      { page: examplePage, format: 'A4', scheme: 'dark' },
      { page: stressPage, format: 'A4', scheme: 'light' },
    ];
    for (const { page, format, scheme, pages } of prints) {
      const name = `${path.basename(page, '.html')}-${format}-${scheme}`;
      const where = `${path.basename(page)} printed on ${format} (${scheme})`;
      const pdf = path.join(outDir, `${name}.pdf`);
      const { stages, styles } = await printPage(browser, page, pdf, format, scheme);
      [...new Set(styles)].forEach((fault) => fail(`${where}: ${fault}`));
      const sheets = run('pdftotext', ['-raw', pdf, '-']).toString('utf8').split('\f')
        .map((sheet) => sheet.replace(/\s+/g, '')).filter((sheet) => sheet);
      let whole = 0;
      stages.forEach((stage, i) => {
        const on = sheets.flatMap((sheet, p) => (sheet.includes(stage) ? [p + 1] : []));
        if (on.length === 1) ++whole;
        else fail(`${where}: stage ${i + 1} is whole on ${on.length} pages (${on.join(', ')})`);
      });
      // Every sheet rendered as a reader's printer would, checked for colour.
      const prefix = path.join(outDir, name);
      run('pdftoppm', ['-r', '50', pdf, prefix]);
      const pictures = fs.readdirSync(outDir).filter((file) => file.startsWith(name + '-') && file.endsWith('.ppm'));
      if (pictures.length !== sheets.length) fail(`${where}: pdftoppm made ${pictures.length} pictures of ${sheets.length} pages`);
      const coloured = pictures.reduce((sum, file) => sum + colouredPixels(fs.readFileSync(path.join(outDir, file))).coloured, 0);
      if (coloured) fail(`${where}: ${coloured} coloured pixels`);
      if (pages && sheets.length < pages) fail(`${where}: ${sheets.length} page(s), so no stage met a page break`);
      console.log(`${where}: ${sheets.length} pages, ${whole} of ${stages.length} stages whole on one page, ` +
                  `${coloured} coloured pixels`);
    }
  } finally {
    await browser.close();
  }
}

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
    const pdf = path.join(os.tmpdir(), `quarnel-print-${process.pid}.pdf`);
    await printPage(browser, pages[0], pdf, 'A4');
    const prefix = path.join(outDir, 'example-page-print');
    run('pdftoppm', ['-png', '-r', '80', '-f', '1', '-l', '1', '-singlefile', pdf, prefix]);
    fs.rmSync(pdf);
    console.log(`written: ${prefix}.png`);
  } finally {
    await browser.close();
  }
}

async function main() {
  const [check, quarnel, template, example, stress, outDir] = process.argv.slice(2);
  if (!outDir) {
    console.error('usage: node page_checks.mjs access|html|print|pictures QUARNEL TEMPLATE EXAMPLE STRESS OUT_DIR');
    return 2;
  }
  fs.mkdirSync(outDir, { recursive: true });
  if (check === 'access') await checkAccess(quarnel, template, example, stress);
  else if (check === 'html') await checkHtml(quarnel, template, example, stress);
  else if (check === 'print') await checkPrint(quarnel, template, example, stress, outDir);
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
