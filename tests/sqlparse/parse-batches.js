// Parses every batch of the T-SQL scripts named on the command line with node-sql-parser's transactsql grammar,
// a parser written apart from this program. A batch is the text between two lines that hold only GO.
// The grammar cannot read some statement kinds SQL Server runs; a batch holding one of them is counted as a
// known gap instead of parsed. Any other batch that does not parse fails the check.
'use strict';
const fs = require('fs');
const { Parser } = require('node-sql-parser');

// What transactsql (node-sql-parser 5.4.0) cannot parse, each with the form that shows it.
const KNOWN_GAPS = [
  ['IF and WHILE blocks', /^\s*(IF|WHILE)\b/i],
  ['RAISERROR', /\bRAISERROR\s*\(/i],
  ['ADD with a named DEFAULT', /\bADD\b[^\r\n]*\bCONSTRAINT\s+\S+\s+DEFAULT\b/i],
  ['ADD FOREIGN KEY without a constraint name', /\bADD\s+FOREIGN\s+KEY\b/i],
];

const parser = new Parser();
let parsed = 0;
let failed = 0;
const gaps = new Map();
for (const file of process.argv.slice(2)) {
  const text = fs.readFileSync(file, 'utf8');
  const batches = text.split(/\r\n|\n/).reduce((all, line) => {
    if (/^\s*GO\s*$/i.test(line)) all.push([]);
    else all[all.length - 1].push(line);
    return all;
  }, [[]]);
  for (const lines of batches) {
    // Comment lines carry nothing to parse; a batch of only comments is none.
    const batch = lines.filter((line) => !/^\s*--/.test(line)).join('\r\n');
    if (batch.trim() === '') continue;
    const gap = KNOWN_GAPS.find(([, pattern]) => pattern.test(batch));
    if (gap) {
      gaps.set(gap[0], (gaps.get(gap[0]) || 0) + 1);
      continue;
    }
    try {
      parser.astify(batch, { database: 'transactsql' });
      ++parsed;
    } catch (error) {
      ++failed;
      console.error(`${file}: this batch does not parse:\n${batch}\n${String(error.message).slice(0, 300)}\n`);
    }
  }
}
console.log(`parsed ${parsed} batches, ${failed} failed`);
for (const [name, count] of gaps) console.log(`known gap, not parsed: ${name}: ${count}`);
process.exit(failed === 0 && parsed > 0 ? 0 : 1);
