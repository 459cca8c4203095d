// Opens the setup sheet the way a user does: from the link in the report's tool index.
// Checks that every toolpath picture has something drawn and that it prints to a PDF of a
// sensible number of A4 pages. Usage: node sheet.mjs INDEX_HTML SCREENSHOT_PNG PDF
import { fail, launch } from './browser.mjs';
import { pathToFileURL } from 'node:url';
import { writeFileSync } from 'node:fs';

const [indexPage, screenshot, pdfPath] = process.argv.slice(2);

const browser = await launch();
try {
  const page = await browser.newPage({ viewport: { width: 900, height: 1300 } });
  await page.goto(pathToFileURL(indexPage).href);
  const index = page.frames().find((f) => f.url().endsWith('/jump.html'));
  if (!index) throw new Error('the index page has no tool index');
  await Promise.all([page.waitForURL(/sheet\.html$/), index.click('text=段取りシート')]);

  const text = await page.evaluate(() => document.body.innerText);
  for (const label of ['段取りシート', 'プログラム全体', '加工時間', 'T2']) {
    if (!text.includes(label)) fail(`sheet lacks ${label}`);
  }
  const boxes = await page.evaluate(() => [...document.querySelectorAll('svg')].map((svg) => {
    const drawn = svg.querySelectorAll('path, circle');
    let width = 0, height = 0;
    for (const shape of drawn) {
      const box = shape.getBBox();
      width = Math.max(width, box.width);
      height = Math.max(height, box.height);
    }
    return { shapes: drawn.length, width, height };
  }));
  if (boxes.length < 2) fail(`only ${boxes.length} pictures`);
  boxes.forEach((b, i) => {
    if (b.shapes === 0 || (b.width <= 0 && b.height <= 0)) fail(`picture ${i} is empty`);
  });
  await page.screenshot({ path: screenshot, fullPage: false });

  const pdf = await page.pdf({ format: 'A4', printBackground: true });
  writeFileSync(pdfPath, pdf);
  const pages = (pdf.toString('latin1').match(/\/Type\s*\/Page[^s]/g) || []).length;
  if (pages < 1 || pages > 3 + 2 * boxes.length) fail(`the PDF has ${pages} pages`);
  if (!process.exitCode) console.log(`sheet opens from the report: ${boxes.length} pictures, ${pages} PDF pages`);
} catch (error) {
  fail(error.message);
} finally {
  await browser.close();
}
