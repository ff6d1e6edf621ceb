/*
 * Search-as-you-type picker for reference fields over large tables.
 *
 * The administration pages render such a field as a text field for the
 * record's key (input.reference-key, see admin/include/site_references.php).
 * This script keeps the key in a hidden field of the same name and shows a
 * search box instead: typing asks the page's data-source for matching
 * records, which are listed below the box. Arrow keys move through the
 * list, Enter picks, Esc closes it and restores the text; a click picks
 * too. Emptying the box clears the choice.
 */
(function () {
  'use strict';

  var DELAY = 200;
  var counter = 0;

  function text(el, value) {
    el.textContent = value;
    return el;
  }

  function Picker(field) {
    var self = this;
    counter += 1;
    this.id = 'reference-picker-' + counter;
    this.reference = field.getAttribute('data-reference') || '';
    this.source = field.getAttribute('data-source') || 'reference_search.php';
    this.none = field.getAttribute('data-none') || '';

    // The key travels in a hidden field of the field's name.
    this.key = document.createElement('input');
    this.key.type = 'hidden';
    this.key.name = field.name;
    this.key.value = field.value;
    this.chosenText = field.getAttribute('data-display') || '';
    if (this.key.value === this.none) this.chosenText = '';
    else if (this.chosenText === '' && this.key.value !== '') this.chosenText = this.key.value;

    this.box = document.createElement('span');
    this.box.className = 'reference-picker';
    this.input = document.createElement('input');
    this.input.type = 'text';
    this.input.className = 'txt reference-search';
    this.input.value = this.chosenText;
    this.input.setAttribute('role', 'combobox');
    this.input.setAttribute('aria-autocomplete', 'list');
    this.input.setAttribute('aria-expanded', 'false');
    this.input.setAttribute('aria-controls', this.id);
    this.input.setAttribute('autocomplete', 'off');
    this.input.setAttribute('placeholder', '输入文字查找');
    if (field.title) this.input.title = field.title;
    this.list = document.createElement('ul');
    this.list.id = this.id;
    this.list.className = 'reference-options';
    this.list.setAttribute('role', 'listbox');
    this.list.hidden = true;

    this.box.appendChild(this.input);
    this.box.appendChild(this.key);
    this.box.appendChild(this.list);
    field.parentNode.replaceChild(this.box, field);

    this.items = [];
    this.active = -1;
    this.timer = null;
    this.sequence = 0;

    this.input.addEventListener('input', function () { self.schedule(); });
    this.input.addEventListener('keydown', function (e) { self.keydown(e); });
    this.input.addEventListener('blur', function () { self.leave(); });
    // mousedown keeps the focus in the box, so the click can pick.
    this.list.addEventListener('mousedown', function (e) { e.preventDefault(); });
    this.list.addEventListener('click', function (e) {
      var li = e.target.closest ? e.target.closest('li[role="option"]') : null;
      if (li) self.choose(Number(li.getAttribute('data-index')));
    });
  }

  Picker.prototype.schedule = function () {
    var self = this;
    if (this.timer) clearTimeout(this.timer);
    this.timer = setTimeout(function () { self.timer = null; self.search(); }, DELAY);
  };

  Picker.prototype.search = function () {
    var self = this;
    var sequence = ++this.sequence;
    var url = this.source + (this.source.indexOf('?') < 0 ? '?' : '&') + 'ref=' + encodeURIComponent(this.reference)
      + '&q=' + encodeURIComponent(this.input.value);
    this.list.setAttribute('aria-busy', 'true');
    var request = new XMLHttpRequest();
    request.open('GET', url, true);
    request.setRequestHeader('Accept', 'application/json');
    request.onload = function () {
      if (sequence !== self.sequence) return;  // a later search is under way
      var data = null;
      try { data = JSON.parse(request.responseText); } catch (e) { data = null; }
      if (request.status !== 200 || !data || !data.items) {
        self.show([], data && data.err ? data.err : '查询失败');
      } else {
        self.show(data.items, data.items.length ? '' : '没有匹配的记录', data.more);
      }
    };
    request.onerror = function () {
      if (sequence === self.sequence) self.show([], '查询失败');
    };
    request.send();
  };

  Picker.prototype.show = function (items, message, more) {
    this.items = items;
    this.active = -1;
    this.list.innerHTML = '';
    for (var i = 0; i < items.length; i++) {
      var li = document.createElement('li');
      li.id = this.id + '-' + i;
      li.setAttribute('role', 'option');
      li.setAttribute('aria-selected', 'false');
      li.setAttribute('data-index', String(i));
      li.setAttribute('data-key', items[i].key);
      li.appendChild(text(document.createElement('span'), items[i].text));
      li.appendChild(text(document.createElement('small'), ' ' + items[i].key));
      this.list.appendChild(li);
    }
    if (message || more) {
      var note = text(document.createElement('li'), message || '还有更多记录，请输入更多文字');
      note.className = 'reference-note';
      this.list.appendChild(note);
    }
    this.list.removeAttribute('aria-busy');
    this.list.hidden = false;
    this.input.setAttribute('aria-expanded', 'true');
    this.input.removeAttribute('aria-activedescendant');
  };

  Picker.prototype.close = function () {
    if (this.timer) { clearTimeout(this.timer); this.timer = null; }
    this.sequence += 1;
    this.list.hidden = true;
    this.list.innerHTML = '';
    this.items = [];
    this.active = -1;
    this.input.setAttribute('aria-expanded', 'false');
    this.input.removeAttribute('aria-activedescendant');
  };

  Picker.prototype.isOpen = function () {
    return !this.list.hidden;
  };

  Picker.prototype.move = function (step) {
    if (!this.items.length) return;
    var next = this.active + step;
    if (next < 0) next = this.items.length - 1;
    if (next >= this.items.length) next = 0;
    var options = this.list.querySelectorAll('li[role="option"]');
    if (this.active >= 0) options[this.active].setAttribute('aria-selected', 'false');
    this.active = next;
    options[next].setAttribute('aria-selected', 'true');
    options[next].scrollIntoView({ block: 'nearest' });
    this.input.setAttribute('aria-activedescendant', options[next].id);
  };

  Picker.prototype.choose = function (index) {
    var item = this.items[index];
    if (!item) return;
    this.key.value = item.key;
    this.chosenText = item.text === '' ? item.key : item.text;
    this.input.value = this.chosenText;
    this.close();
    var event = document.createEvent('Event');
    event.initEvent('change', true, false);
    this.key.dispatchEvent(event);
  };

  Picker.prototype.keydown = function (e) {
    var key = e.key;
    if (key === 'ArrowDown' || key === 'Down') {
      e.preventDefault();
      if (this.isOpen()) this.move(1);
      else this.search();
    } else if (key === 'ArrowUp' || key === 'Up') {
      e.preventDefault();
      if (this.isOpen()) this.move(-1);
    } else if (key === 'Enter') {
      // Enter picks from an open list; it sends the form only when no list is open.
      if (this.isOpen()) {
        e.preventDefault();
        if (this.active >= 0) this.choose(this.active);
      }
    } else if (key === 'Escape' || key === 'Esc') {
      if (this.isOpen()) e.preventDefault();
      this.close();
      this.input.value = this.chosenText;
    }
  };

  // Leaving the box: an emptied box clears the choice; any other text that
  // was not picked gives way to the chosen record's text.
  Picker.prototype.leave = function () {
    this.close();
    if (this.input.value.replace(/^\s+|\s+$/g, '') === '') {
      this.key.value = this.none;
      this.chosenText = '';
    }
    this.input.value = this.chosenText;
  };

  function start() {
    var fields = document.querySelectorAll('input.reference-key[data-reference]');
    for (var i = 0; i < fields.length; i++) new Picker(fields[i]);
  }

  if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', start);
  else start();
}());
