// Writes a grammar test of a source file: the file's lines, each followed by
// the scopes that the reader's lexical rules give its fields, as
// vscode-tmgrammar-test reads them.
//
//   node annotate.mjs FILE SCOPE > FILE.test
//
// A line whose first field holds "[" and "]" is a section header; one whose
// first field holds a hyphen is a comment; in any other line the first field
// is a keyword, and each later field either numbers (a number also ends at a
// blank) or a text. Every line of the two template files is one of these.
import { readFileSync } from 'node:fs';

const [file, scope] = process.argv.slice(2);
if (!file || !scope) {
  console.error('usage: node annotate.mjs FILE SCOPE');
  process.exit(64);
}
const text = new TextDecoder('windows-1252').decode(readFileSync(file));

// An assertion on spans [from, to) of the line above it. Spans in the first
// two columns are out of reach of "^" under the comment token "//".
function assertion(spans, scopes) {
  if (spans.length === 0) return [];
  if (spans[0][0] < 2) {
    const [from, to] = spans[0];
    return [`// <${'~'.repeat(from)}${'-'.repeat(to - from)} ${scopes}`];
  }
  let marks = '';
  for (const [from, to] of spans) marks += ' '.repeat(from - 2 - marks.length) + '^'.repeat(to - from);
  return [`//${marks} ${scopes}`];
}

// The stretch of `field` (starting at column `at`) without its blanks.
function trimmed(field, at) {
  const start = field.search(/\S/);
  if (start < 0) return null;
  return [at + start, at + field.trimEnd().length];
}

const out = [`// SYNTAX TEST "${scope}" "${file.split('/').pop()}"`];
for (const line of text.split(/\r\n|\r|\n/)) {
  if (line.startsWith('//')) throw new Error(`a line that reads as an assertion: ${line}`);
  out.push(line);
  const fields = [];
  for (let at = 0, i = 0; i <= line.length; i++) {
    if (i === line.length || line[i] === ',') {
      fields.push({ text: line.slice(at, i), at });
      at = i + 1;
    }
  }
  const first = fields[0].text;
  if (first.trim() === '') continue;
  if (first.includes('-')) {
    out.push(...assertion([trimmed(line, 0)], 'comment.line.scenario'));
  } else if (first.includes('[') && first.includes(']')) {
    out.push(...assertion([trimmed(first, 0)], 'entity.name.section.scenario'));
  } else {
    out.push(...assertion([trimmed(first, 0)], 'keyword.control.scenario'));
    const numbers = [];
    const texts = [];
    for (const { text: field, at } of fields.slice(1)) {
      if (/^[\s]*([-+]?[0-9]+[\s]*)*$/.test(field)) {
        for (const m of field.matchAll(/[-+]?[0-9]+/g)) numbers.push([at + m.index, at + m.index + m[0].length]);
      } else {
        texts.push(trimmed(field, at));
      }
    }
    out.push(...assertion(numbers, 'constant.numeric.scenario - string.unquoted.scenario'));
    out.push(...assertion(texts, 'string.unquoted.scenario'));
  }
}
process.stdout.write(out.join('\n') + '\n');
