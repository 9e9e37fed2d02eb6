// Writes the one-file page, lumivex.html, beside index.html in the web build's folder:
//   node web/one_file.js BUILD_WEB_FOLDER
// It is index.html with everything the page loads inside it: the icon as a data URL; the
// wasm, the sound worklet and every file of data/ (its bytes as they are now) as
// <script type="application/octet-stream" data-file="NAME"> blocks of base64, which the
// page's loader (lumivexLoad) decodes once each; then lumivex.js as the page's last script.
// Opened from disk it reads no other file; a changed data folder needs it written again.
'use strict';
const fs = require('fs');
const path = require('path');
const vm = require('vm');

const root = process.argv[2];
if (!root) {
  console.error('usage: node web/one_file.js BUILD_WEB_FOLDER');
  process.exit(2);
}
const read = (name) => fs.readFileSync(path.join(root, name));

// `page` with its one `from` replaced by `to`: the page's text is index.html's, which its
// own developers edit; a marker gone or doubled stops the build rather than a page half made.
function replaceOnce(page, from, to) {
  const parts = page.split(from);
  if (parts.length !== 2) throw new Error(`index.html holds "${from}" ${parts.length - 1} times, not once`);
  return parts[0] + to + parts[1];
}

const attribute = (text) => text.replace(/&/g, '&amp;').replace(/"/g, '&quot;');
const block = (name, bytes) =>
  `<script type="application/octet-stream" data-file="${attribute(name)}">${bytes.toString('base64')}</script>\n`;

// The program as an inline script: nothing in it may end the element or open an HTML
// comment there; within its strings and patterns, the escaped forms read the same.
let program = read('lumivex.js').toString();
program = program.replace(/<\/(script)/gi, '<\\/$1').replace(/<!--/g, '<\\!--');
new vm.Script(program, {filename: 'lumivex.js'});  // still parses

let blocks = block('lumivex.wasm', read('lumivex.wasm')) + block('lumivex-sound.js', read('lumivex-sound.js'));
const data = fs.readdirSync(path.join(root, 'data')).filter((name) => fs.statSync(path.join(root, 'data', name)).isFile());
for (const name of data.sort()) blocks += block(`data/${name}`, read(path.join('data', name)));

let page = read('index.html').toString();
page = replaceOnce(page, 'href="lumivex.png"', `href="data:image/png;base64,${read('lumivex.png').toString('base64')}"`);
page = replaceOnce(page, '</body>', `${blocks}<script>\n${program}\n</script>\n</body>`);

const out = path.join(root, 'lumivex.html');
fs.writeFileSync(out + '.part', page);
fs.renameSync(out + '.part', out);
console.log(`one_file: ${out}, ${page.length} bytes (${data.length} data files)`);
