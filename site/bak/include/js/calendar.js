/*
 * Page helpers of the administration pages.
 *
 * setDay(input): a small month calendar under a date field; choosing a day
 * writes it as YYYY-MM-DD.
 *
 * window.showModalDialog: browsers no longer have it. The edit pages open
 * the picture chooser with it; here it opens an ordinary window instead,
 * and the chooser sends the chosen picture back with postMessage, which
 * fills the field that the chooser was opened for.
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
        return isNaN(date.getTime()) ? null : date;
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
            'font:13px/1.4 sans-serif;color:#1f2933;user-select:none}' +
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
        }
    });
})(window, document);
