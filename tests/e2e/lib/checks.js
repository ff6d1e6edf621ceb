// Counts the checks of the run and prints one line per check.
'use strict';
const util = require('util');

const show = (v) => util.inspect(v, { depth: 4, breakLength: Infinity, maxStringLength: 300 });

class Checks {
  constructor() {
    this.passed = 0;
    this.failed = 0;
    this.failures = [];
    this.started = Date.now();
  }

  ok(condition, name, detail) {
    if (condition) {
      this.passed++;
      console.log(`ok   - ${name}`);
    } else {
      this.failed++;
      this.failures.push(name);
      console.log(`FAIL - ${name}${detail === undefined ? '' : `: ${typeof detail === 'string' ? detail : show(detail)}`}`);
    }
    return !!condition;
  }

  equal(actual, expected, name) {
    const same = util.isDeepStrictEqual(actual, expected);
    return this.ok(same, name, same ? undefined : `expected ${show(expected)}, got ${show(actual)}`);
  }

  // Runs one group of checks; an exception counts as one failed check and
  // the run goes on with the next group.
  async group(title, fn) {
    console.log(`# ${title} (at ${((Date.now() - this.started) / 1000).toFixed(1)} s)`);
    try {
      await fn();
    } catch (e) {
      this.ok(false, `${title}: the group ran to its end`, e && e.stack ? e.stack.split('\n').slice(0, 6).join('\n  ') : String(e));
    }
  }
}

module.exports = { Checks, show };
