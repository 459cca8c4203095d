// Opens a complete report in headless Chromium the way a user does: the index page with
// its two frames, a tool link, the final report link. Usage:
//   node report.mjs INDEX_HTML SCREENSHOT_PNG
import { fail, launch } from './browser.mjs';
import { pathToFileURL } from 'node:url';

const [indexPage, screenshot] = process.argv.slice(2);

const browser = await launch();
try {
  const page = await browser.newPage({ viewport: { width: 1100, height: 700 } });
  await page.goto(pathToFileURL(indexPage).href);
  const data = page.frame({ name: 'ncdata' });
  const index = page.frames().find((f) => f.url().endsWith('/jump.html'));
  if (!data || !index) throw new Error('the index page has no "ncdata" frame and tool index');
  await data.waitForLoadState();

  // The listing decodes as Shift_JIS: its Japanese labels read right.
  const charset = await data.evaluate(() => document.characterSet);
  if (charset !== 'Shift_JIS') fail(`listing decoded as ${charset}`);
  const text = await data.evaluate(() => document.body.innerText);
  for (const label of ['＜最終レポート＞', '早送時間：', '(直線)', '＜ T2 ＞加工']) {
    if (!text.includes(label)) fail(`listing lacks ${label}`);
  }

  // A tool link lands the listing on that tool's heading.
  await index.click('text=T2_');
  await data.waitForFunction(() => location.hash === '#T2_2');
  const headingTop = await data.evaluate(() => document.querySelector('a[name="T2_2"]').getBoundingClientRect().top);
  if (Math.abs(headingTop) > 40) fail(`tool heading is ${headingTop}px from the top of the frame`);
  const scrolled = await data.evaluate(() => window.scrollY);
  if (scrolled <= 0) fail('the listing did not scroll to the tool heading');

  await page.screenshot({ path: screenshot });

  // The final report link lands on the final report.
  await index.click('text=最終レポート');
  await data.waitForFunction(() => location.hash.startsWith('#last'));
  const lastTop = await data.evaluate(() => document.querySelector('a[name="last"]').getBoundingClientRect().top);
  if (lastTop < -40 || lastTop > 700) fail(`final report is not in view (${lastTop}px)`);
  if (!process.exitCode) console.log('report opens, decodes and links correctly');
} catch (error) {
  fail(error.message);
} finally {
  await browser.close();
}
