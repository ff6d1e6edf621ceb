// The test database, read and written through the mariadb client over the
// private server's socket.
'use strict';
const { execFileSync } = require('child_process');

// Undoes the escapes of the client's batch output.
const unescape = (field) =>
  field.replace(/\\(.)/g, (_, c) => ({ n: '\n', t: '\t', 0: '\0', '\\': '\\' }[c] ?? c));

class Db {
  constructor(socket, name) {
    this.args = ['--no-defaults', `--socket=${socket}`, '-uroot', '--batch', '--default-character-set=utf8mb4', name];
  }

  // Rows of a statement as objects keyed by column name; NULL becomes null.
  query(sql) {
    return this.parse(execFileSync('mariadb', [...this.args, '-e', sql], { encoding: 'utf8' }));
  }

  // The rows of several statements, read with one start of the client.
  queryMany(sqls) {
    const marker = 'e2e_next_result';
    const out = execFileSync('mariadb', [...this.args, '-e', sqls.join(`; SELECT 1 AS ${marker}; `)], { encoding: 'utf8' });
    return out.split(`${marker}\n1\n`).map((part) => this.parse(part));
  }

  parse(out) {
    const lines = out.split('\n');
    if (lines[lines.length - 1] === '') lines.pop();  // the last line's end; a row of one empty value stays
    if (lines.length === 0) return [];
    const head = lines[0].split('\t');
    return lines.slice(1).map((line) => {
      const cells = line.split('\t');
      return Object.fromEntries(head.map((h, i) => [h, cells[i] === 'NULL' ? null : unescape(cells[i])]));
    });
  }

  value(sql) {
    const rows = this.query(sql);
    return rows.length ? Object.values(rows[0])[0] : undefined;
  }

  count(table, where = '1=1') {
    return Number(this.value(`SELECT COUNT(*) AS n FROM ${table} WHERE ${where}`));
  }

  // Every row of each table, each column as hex of its text bytes, keyed by
  // the primary key: exact to the byte, whatever the text holds. Tables are
  // given as {table: keyColumn}; one start of the client reads them all.
  snapshots(keys) {
    this.columns = this.columns || {};
    const tables = Object.keys(keys);
    for (const t of tables) {
      if (!this.columns[t]) this.columns[t] = this.query(`SHOW COLUMNS FROM ${t}`).map((c) => c.Field);
    }
    const results = this.queryMany(tables.map((t) =>
      `SELECT ${this.columns[t].map((c) => `HEX(CAST(\`${c}\` AS CHAR)) AS \`${c}\``).join(', ')} FROM ${t}`));
    return Object.fromEntries(tables.map((t, i) => {
      const byKey = {};
      for (const row of results[i]) byKey[Buffer.from(row[keys[t]], 'hex').toString('utf8')] = row;
      return [t, byKey];
    }));
  }

  exec(sql) {
    execFileSync('mariadb', [...this.args, '-e', sql]);
  }
}

const hex = (s) => Buffer.from(s, 'utf8').toString('hex').toUpperCase();

module.exports = { Db, hex };
