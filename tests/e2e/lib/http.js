// Plain HTTP requests with full control over headers and body bytes, for
// what a browser would not send (forged origins, raw bytes, NUL).
'use strict';
const http = require('http');

function request(url, { method = 'GET', headers = {}, body } = {}) {
  return new Promise((resolve, reject) => {
    const u = new URL(url);
    const req = http.request({ hostname: u.hostname, port: u.port, path: u.pathname + u.search, method, headers }, (res) => {
      const chunks = [];
      res.on('data', (c) => chunks.push(c));
      res.on('end', () => {
        const buf = Buffer.concat(chunks);
        resolve({ status: res.statusCode, headers: res.headers, body: buf, text: buf.toString('utf8') });
      });
    });
    req.on('error', reject);
    req.setTimeout(60000, () => req.destroy(new Error(`timeout: ${method} ${url}`)));
    if (body) req.write(body);
    req.end();
  });
}

// Percent-encodes text or raw bytes (a Buffer) for a query string or form.
const encode = (v) =>
  [...(Buffer.isBuffer(v) ? v : Buffer.from(String(v), 'utf8'))]
    .map((b) => (/[A-Za-z0-9\-_.~]/.test(String.fromCharCode(b)) ? String.fromCharCode(b) : `%${b.toString(16).toUpperCase().padStart(2, '0')}`))
    .join('');

// Fields as [name, value] pairs, values text or Buffer.
const formBody = (fields) => fields.map(([k, v]) => `${encode(k)}=${encode(v)}`).join('&');

// Fields as [name, value] pairs; a value { filename, type, data } is a file.
function multipart(fields) {
  const boundary = `----e2e${Date.now().toString(16)}${Math.random().toString(16).slice(2)}`;
  const parts = [];
  for (const [name, value] of fields) {
    if (value && typeof value === 'object' && !Buffer.isBuffer(value)) {
      parts.push(Buffer.from(`--${boundary}\r\nContent-Disposition: form-data; name="${name}"; filename="${value.filename}"\r\n` +
        `Content-Type: ${value.type || 'application/octet-stream'}\r\n\r\n`, 'utf8'), value.data, Buffer.from('\r\n'));
    } else {
      parts.push(Buffer.from(`--${boundary}\r\nContent-Disposition: form-data; name="${name}"\r\n\r\n`, 'utf8'),
        Buffer.isBuffer(value) ? value : Buffer.from(String(value), 'utf8'), Buffer.from('\r\n'));
    }
  }
  parts.push(Buffer.from(`--${boundary}--\r\n`));
  return { body: Buffer.concat(parts), contentType: `multipart/form-data; boundary=${boundary}` };
}

module.exports = { request, encode, formBody, multipart };
