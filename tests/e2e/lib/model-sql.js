// Prints the INSERT statements that put a model JSON file into projects.mdb
// (used only while quorrel-cli has no import command).
'use strict';
const fs = require('fs');

const quote = (v) => (typeof v === 'number' ? String(v) : `'${String(v).replace(/'/g, "''")}'`);
const insert = (table, row) =>
  `INSERT INTO ${table} (${Object.keys(row).join(', ')}) VALUES (${Object.values(row).map(quote).join(', ')});`;

const model = JSON.parse(fs.readFileSync(process.argv[2], 'utf8'));
const lines = ['BEGIN;'];
for (const { classes, ...project } of model.projects) {
  lines.push(insert('t_project', project));
  for (const { members, ...cls } of classes) {
    lines.push(insert('t_class', { classId: cls.classId, projectId: project.projectId,
      className: cls.className, friendName: cls.friendName }));
    for (const member of members)
      lines.push(insert('t_member', { memberId: member.memberId, projectId: project.projectId,
        classId: cls.classId, ...member }));
  }
}
lines.push('COMMIT;');
console.log(lines.join('\n'));
