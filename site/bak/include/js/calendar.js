/*
 * Page helpers of the administration pages.
 *
 * setDay(input): a small month calendar under a date field; choosing a day
 * writes it as YYYY-MM-DD.
 *
 * window.showModalDialog: browsers no longer have it. The edit pages open
 * the picture chooser with it; here it opens an ordinary window instead,
 * and the chooser sends the chosen picture back with postMessage, which
 * fills the field that the chooser was opened for and shows the picture.
 *
 * List pages: deleting asks first; the select-all box and the row boxes
 * stay in step; long cell texts are cut to a few lines (the whole text in
 * the tooltip); the search fields keep their labels beside them.
 */
(function (window, document) {
    'use strict';

    var WEEKDAYS = ['日', '一', '二', '三', '四', '五', '六'];
    var picker = null;
    var target = null;
    var year = 0;
    var month = 0;

    function pad(n) {
        return (n < 10 ? '0' : '') + n;
    }

    function format(date) {
        return date.getFullYear() + '-' + pad(date.getMonth() + 1) + '-' + pad(date.getDate());
    }

    function parse(text) {
        var m = /^\s*(\d{4})-(\d{1,2})-(\d{1,2})/.exec(text || '');
        if (!m) {
            return null;
        }
        var date = new Date(+m[1], +m[2] - 1, +m[3]);
        // "0000-00-00" (an empty date as the database keeps it) and days
        // that do not exist are no dates.
        if (isNaN(date.getTime()) || +m[1] < 1000 || date.getMonth() !== +m[2] - 1 || date.getDate() !== +m[3]) {
            return null;
        }
        return date;
    }

    function addStyle() {
        if (document.getElementById('site_calendar_style')) {
            return;
        }
        var style = document.createElement('style');
        style.id = 'site_calendar_style';
        style.textContent =
            '.site-calendar{position:absolute;z-index:10000;width:236px;padding:8px;background:#fff;' +
            'border:1px solid #c5ced8;border-radius:6px;box-shadow:0 6px 20px rgba(15,35,60,.15);' +
            'font-size:13px;line-height:1.4;color:#1f2933;user-select:none}' +
            '.site-calendar .cal-head{display:flex;align-items:center;justify-content:space-between;margin-bottom:6px}' +
            '.site-calendar .cal-head b{font-weight:600}' +
            '.site-calendar button{font:inherit;border:0;background:none;color:#1f6fb2;cursor:pointer;padding:2px 6px;border-radius:4px}' +
            '.site-calendar button:hover{background:#eef4fa}' +
            '.site-calendar table{width:100%;border-collapse:collapse;text-align:center}' +
            '.site-calendar th{color:#7b8794;font-weight:normal;padding:2px 0}' +
            '.site-calendar td{padding:1px}' +
            '.site-calendar td a{display:block;padding:3px 0;border-radius:4px;color:#1f2933;text-decoration:none}' +
            '.site-calendar td a:hover{background:#eef4fa}' +
            '.site-calendar td.other a{color:#b0b9c3}' +
            '.site-calendar td.today a{border:1px solid #3b82c4}' +
            '.site-calendar td.selected a{background:#3b82c4;color:#fff}' +
            '.site-calendar .cal-foot{display:flex;justify-content:space-between;margin-top:6px;border-top:1px solid #edf0f3;padding-top:6px}';
        (document.head || document.documentElement).appendChild(style);
    }

    function button(text, title, action) {
        var b = document.createElement('button');
        b.type = 'button';
        b.textContent = text;
        b.title = title;
        b.addEventListener('click', function (event) {
            event.preventDefault();
            action();
        });
        return b;
    }

    function shift(months) {
        month += months;
        while (month < 0) {
            month += 12;
            year -= 1;
        }
        while (month > 11) {
            month -= 12;
            year += 1;
        }
        render();
    }

    function choose(date) {
        if (!target) {
            return;
        }
        target.value = date ? format(date) : '';
        var event = document.createEvent('HTMLEvents');
        event.initEvent('change', true, false);
        target.dispatchEvent(event);
        hide();
    }

    function render() {
        picker.innerHTML = '';
        var head = document.createElement('div');
        head.className = 'cal-head';
        var left = document.createElement('span');
        left.appendChild(button('«', '上一年', function () { shift(-12); }));
        left.appendChild(button('‹', '上个月', function () { shift(-1); }));
        var title = document.createElement('b');
        title.className = 'cal-title';
        title.textContent = year + '年' + (month + 1) + '月';
        var right = document.createElement('span');
        right.appendChild(button('›', '下个月', function () { shift(1); }));
        right.appendChild(button('»', '下一年', function () { shift(12); }));
        head.appendChild(left);
        head.appendChild(title);
        head.appendChild(right);
        picker.appendChild(head);

        var table = document.createElement('table');
        var row = table.insertRow(-1);
        for (var w = 0; w < 7; w++) {
            var th = document.createElement('th');
            th.textContent = WEEKDAYS[w];
            row.appendChild(th);
        }
        var selected = parse(target ? target.value : '');
        var today = format(new Date());
        var first = new Date(year, month, 1);
        var day = new Date(year, month, 1 - first.getDay());
        for (var r = 0; r < 6; r++) {
            row = table.insertRow(-1);
            for (var c = 0; c < 7; c++) {
                var cell = row.insertCell(-1);
                var link = document.createElement('a');
                link.href = '#';
                link.textContent = day.getDate();
                link.setAttribute('data-date', format(day));
                var classes = [];
                if (day.getMonth() !== month) {
                    classes.push('other');
                }
                if (format(day) === today) {
                    classes.push('today');
                }
                if (selected && format(day) === format(selected)) {
                    classes.push('selected');
                }
                cell.className = classes.join(' ');
                link.addEventListener('click', function (event) {
                    event.preventDefault();
                    choose(parse(this.getAttribute('data-date')));
                });
                cell.appendChild(link);
                day = new Date(day.getFullYear(), day.getMonth(), day.getDate() + 1);
            }
        }
        picker.appendChild(table);

        var foot = document.createElement('div');
        foot.className = 'cal-foot';
        foot.appendChild(button('今天', '选择今天', function () { choose(new Date()); }));
        foot.appendChild(button('清空', '清空日期', function () { choose(null); }));
        foot.appendChild(button('关闭', '关闭日历', hide));
        picker.appendChild(foot);
    }

    function hide() {
        if (picker && picker.parentNode) {
            picker.parentNode.removeChild(picker);
        }
        target = null;
    }

    /* Opens the calendar for a date field. */
    window.setDay = function (input) {
        if (!input || !input.nodeType) {
            return;
        }
        addStyle();
        if (!picker) {
            picker = document.createElement('div');
            picker.className = 'site-calendar';
            picker.addEventListener('mousedown', function (event) { event.stopPropagation(); });
        }
        target = input;
        var date = parse(input.value) || new Date();
        year = date.getFullYear();
        month = date.getMonth();
        render();
        document.body.appendChild(picker);
        var rect = input.getBoundingClientRect();
        var scrollX = window.pageXOffset || document.documentElement.scrollLeft;
        var scrollY = window.pageYOffset || document.documentElement.scrollTop;
        var left = rect.left + scrollX;
        var maxLeft = scrollX + document.documentElement.clientWidth - picker.offsetWidth - 4;
        picker.style.left = Math.max(scrollX, Math.min(left, maxLeft)) + 'px';
        picker.style.top = (rect.bottom + scrollY + 2) + 'px';
    };

    document.addEventListener('mousedown', function (event) {
        if (picker && target && event.target !== target) {
            hide();
        }
    });
    document.addEventListener('keydown', function (event) {
        if (event.key === 'Escape' || event.keyCode === 27) {
            hide();
        }
    });

    /* A replacement for the modal dialog of older browsers: an ordinary
       window of the requested size, centred over this one. */
    if (typeof window.showModalDialog !== 'function') {
        window.showModalDialog = function (url, args, features) {
            var size = function (name, fallback) {
                var m = new RegExp(name + '\\s*[:=]\\s*(\\d+)', 'i').exec(features || '');
                return m ? parseInt(m[1], 10) : fallback;
            };
            var width = size('dialogWidth', 500);
            var height = size('dialogHeight', 450);
            var screenLeft = window.screenX !== undefined ? window.screenX : window.screenLeft;
            var screenTop = window.screenY !== undefined ? window.screenY : window.screenTop;
            var left = Math.max(0, Math.round(screenLeft + ((window.outerWidth || width) - width) / 2));
            var top = Math.max(0, Math.round(screenTop + ((window.outerHeight || height) - height) / 2));
            var dialog = window.open(url, 'site_dialog', 'width=' + width + ',height=' + height +
                ',left=' + left + ',top=' + top + ',resizable=yes,scrollbars=yes');
            if (dialog) {
                try {
                    dialog.dialogArguments = args;
                } catch (e) {
                    // Another origin: the chooser does not need the arguments.
                }
                dialog.focus();
            }
            return undefined;
        };
    }

    /* The picture chooser sends the chosen path for a field of this page. */
    window.addEventListener('message', function (event) {
        var data = event.data;
        if (event.origin !== window.location.origin || !data || data.type !== 'site-picture-chosen') {
            return;
        }
        var field = typeof data.field === 'string' ? document.getElementById(data.field) : null;
        if (field && typeof data.value === 'string') {
            field.value = data.value;
            var change = document.createEvent('HTMLEvents');
            change.initEvent('change', true, false);
            field.dispatchEvent(change);
            showChosenPicture(field);
        }
    });

    /* A small view of the chosen picture after the chooser button. The
       path is relative to the administration pages, like this page. */
    function showChosenPicture(field) {
        var holder = field.parentNode;
        var view = holder.querySelector('img.picture-preview');
        if (!/^\.\.\/attachments\/picture\/[^"'<>\\]+\.(jpe?g|png|gif|bmp)$/i.test(field.value)) {
            if (view) {
                holder.removeChild(view);
            }
            return;
        }
        if (!view) {
            view = document.createElement('img');
            view.className = 'picture-preview';
            view.alt = '';
            holder.appendChild(view);
        }
        view.src = field.value;
    }

    /* ---- list pages ---------------------------------------------------- */

    var DELETE_BOXES = 'input[type="checkbox"][name="delid[]"]';

    function tickedBoxes() {
        return Array.prototype.filter.call(document.querySelectorAll(DELETE_BOXES), function (box) {
            return box.checked;
        });
    }

    function setNote(button, text) {
        var note = button.parentNode.querySelector('.list-note');
        if (!note && text) {
            note = document.createElement('span');
            note.className = 'list-note';
            note.setAttribute('role', 'status');
            button.parentNode.appendChild(note);
        }
        if (note) {
            note.textContent = text;
        }
    }

    // Runs after the page's own handlers (they are bound on the elements):
    // those set the "checked" attribute, which no longer moves a box the
    // user has clicked, so the boxes are set here by their state.
    document.addEventListener('click', function (event) {
        var el = event.target;
        if (!el || !el.matches) {
            return;
        }
        if (el.matches('#CheckAll')) {
            Array.prototype.forEach.call(document.querySelectorAll(DELETE_BOXES), function (box) {
                box.checked = el.checked;
            });
        } else if (el.matches(DELETE_BOXES)) {
            var all = document.getElementById('CheckAll');
            var boxes = document.querySelectorAll(DELETE_BOXES);
            if (all) {
                all.checked = boxes.length > 0 && tickedBoxes().length === boxes.length;
            }
        }
        if (el.matches(DELETE_BOXES) || el.matches('#CheckAll')) {
            var submit = document.getElementById('DelAllOk');
            if (submit) {
                setNote(submit, '');
            }
        }
    });

    // Deleting cannot be undone: ask first.
    document.addEventListener('click', function (event) {
        var el = event.target;
        var link = el && el.closest ? el.closest('a.act') : null;
        if (link && /[?&]act=remove(&|$)/.test(link.getAttribute('href') || '')) {
            if (!window.confirm('确定要删除这条记录吗？删除后不能恢复。')) {
                event.preventDefault();
            }
            return;
        }
        if (el && el.id === 'DelAllOk') {
            var count = tickedBoxes().length;
            if (count === 0) {
                event.preventDefault();
                setNote(el, '请先勾选要删除的记录。');
            } else if (!window.confirm('确定要删除勾选的 ' + count + ' 条记录吗？删除后不能恢复。')) {
                event.preventDefault();
            }
        }
    }, true);

    /* Long texts in the list are cut to a few lines, the whole text in the
       tooltip; short ones stay on one line. */
    function tidyListCells() {
        var rows = document.querySelectorAll('tr.hover');
        for (var r = 0; r < rows.length; r++) {
            var cells = rows[r].children;
            // The first cell holds the box, the last two the links.
            for (var c = 1; c < cells.length - 2; c++) {
                var cell = cells[c];
                if (cell.children.length > 0) {
                    continue;
                }
                var text = cell.textContent.trim();
                if (text.length <= 16) {
                    cell.className += ' cell-short';
                } else {
                    var clip = document.createElement('div');
                    clip.className = 'cell-text';
                    clip.title = text;
                    while (cell.firstChild) {
                        clip.appendChild(cell.firstChild);
                    }
                    cell.appendChild(clip);
                }
            }
        }
    }

    /* Keeps each label of the search form with its field: "名称: [    ]". */
    function groupSearchFields() {
        var forms = document.querySelectorAll('form[id$="QueryForm"] td');
        for (var f = 0; f < forms.length; f++) {
            var td = forms[f];
            var node = td.firstChild;
            while (node) {
                var next = node.nextSibling;
                if (node.nodeType === 3 && /\S/.test(node.nodeValue) && next && next.nodeType === 1
                    && /^(INPUT|SELECT)$/.test(next.nodeName) && next.type !== 'submit') {
                    var group = document.createElement('span');
                    group.className = 'search-field';
                    td.insertBefore(group, node);
                    group.appendChild(document.createTextNode(node.nodeValue.replace(/^\s+/, '')));
                    td.removeChild(node);
                    group.appendChild(next);
                    node = group.nextSibling;
                    continue;
                }
                node = next;
            }
        }
    }

    function onReady() {
        tidyListCells();
        groupSearchFields();
    }
    if (document.readyState === 'loading') {
        document.addEventListener('DOMContentLoaded', onReady);
    } else {
        onReady();
    }
})(window, document);
