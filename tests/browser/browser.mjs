// What both browser checks share: Debian's Chromium started as this machine needs it
// (no sandbox as root, no background connections), and a failure that marks the exit.
import { chromium } from 'playwright-core';

export const fail = (message) => { console.error(`FAIL: ${message}`); process.exitCode = 1; };

export function launch() {
  return chromium.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync'],
  });
}
