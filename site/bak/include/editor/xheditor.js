/*
 * A small page editor as a jQuery plugin:
 *
 *   $('#content').xheditor(true, {tools: 'full', upImgUrl: '.../upload.php', upImgExt: 'jpg,png'});
 *   $('#content').xheditor(false);   // back to the plain text area
 *
 * It turns text areas into an editable area with a tool bar (bold, italic,
 * underline, lists, link, picture upload, source view) and keeps the text
 * area's value up to date, so the form posts the HTML. Elements that are
 * not text areas, and selections that match nothing, are left alone.
 *
 * Pictures go to upImgUrl as the form field "filedata"; the answer is JSON
 * {"err": "", "msg": "<address>"}.
 */
(function ($) {
    'use strict';
    if (!$ || !$.fn) {
        return;
    }

    var TOOLS = {
        bold: ['B', '加粗', 'bold'],
        italic: ['I', '斜体', 'italic'],
        underline: ['U', '下划线', 'underline'],
        ul: ['• 列表', '项目列表', 'insertUnorderedList'],
        ol: ['1. 列表', '编号列表', 'insertOrderedList'],
        link: ['链接', '插入链接', null],
        img: ['图片', '上传图片', null],
        source: ['源码', '查看源码', null]
    };
    var SETS = {
        full: ['bold', 'italic', 'underline', 'ul', 'ol', 'link', 'img', 'source'],
        simple: ['bold', 'italic', 'underline', 'link'],
        mini: ['bold', 'italic']
    };

    function addStyle() {
        if ($('#site_editor_style').length) {
            return;
        }
        $('<style id="site_editor_style"></style>').text(
            '.site-editor{border:1px solid #c5ced8;border-radius:4px;background:#fff;max-width:100%}' +
            '.site-editor-bar{display:flex;flex-wrap:wrap;gap:2px;padding:4px;border-bottom:1px solid #edf0f3;background:#f7f9fb}' +
            '.site-editor-bar button{font:inherit;padding:2px 8px;border:1px solid transparent;border-radius:3px;background:none;color:#3b4a5a;cursor:pointer}' +
            '.site-editor-bar button:hover{border-color:#c5ced8;background:#fff}' +
            '.site-editor-area{min-height:180px;padding:8px 10px;outline:none;overflow:auto}' +
            '.site-editor-area img{max-width:100%}' +
            '.site-editor textarea{display:block;width:100%;min-height:180px;border:0;font-family:monospace}'
        ).appendTo('head');
    }

    function upload(url, file, allowed, done) {
        var ext = (file.name.split('.').pop() || '').toLowerCase();
        if (allowed.length && $.inArray(ext, allowed) < 0) {
            window.alert('只能上传 ' + allowed.join('、') + ' 格式的图片。');
            return;
        }
        var data = new FormData();
        data.append('filedata', file);
        $.ajax({ url: url, type: 'POST', data: data, processData: false, contentType: false, dataType: 'json' })
            .done(function (answer) {
                if (answer && !answer.err && answer.msg) {
                    done(answer.msg);
                } else {
                    window.alert((answer && answer.err) || '图片上传失败。');
                }
            })
            .fail(function (xhr) {
                var answer = xhr.responseJSON;
                window.alert((answer && answer.err) || '图片上传失败。');
            });
    }

    function attach(textarea, options) {
        var $textarea = $(textarea);
        var $box = $('<div class="site-editor"></div>');
        var $bar = $('<div class="site-editor-bar"></div>');
        var $area = $('<div class="site-editor-area" contenteditable="true"></div>').html($textarea.val());
        var allowed = String(options.upImgExt || '').toLowerCase().split(/\s*,\s*/).filter(Boolean);
        var sourceView = false;

        function sync() {
            if (!sourceView) {
                $textarea.val($area.html());
            }
        }

        $.each(SETS[options.tools] || SETS.full, function (i, name) {
            var tool = TOOLS[name];
            if (!tool || (name === 'img' && !options.upImgUrl)) {
                return;
            }
            $('<button type="button"></button>').text(tool[0]).attr('title', tool[1]).on('click', function () {
                if (sourceView && name !== 'source') {
                    return;
                }
                $area.trigger('focus');
                if (tool[2]) {
                    document.execCommand(tool[2], false, null);
                } else if (name === 'link') {
                    var href = window.prompt('链接地址:', 'http://');
                    if (href && /^(https?:|mailto:|\/|\.)/i.test(href)) {
                        document.execCommand('createLink', false, href);
                    }
                } else if (name === 'img') {
                    $('<input type="file" accept="image/*" />').on('change', function () {
                        if (this.files && this.files[0]) {
                            upload(options.upImgUrl, this.files[0], allowed, function (address) {
                                $area.trigger('focus');
                                document.execCommand('insertImage', false, address);
                                sync();
                            });
                        }
                    }).trigger('click');
                } else if (name === 'source') {
                    if (sourceView) {
                        $area.html($textarea.val()).show();
                        $textarea.hide();
                    } else {
                        sync();
                        $area.hide();
                        $textarea.show();
                    }
                    sourceView = !sourceView;
                }
                sync();
            }).appendTo($bar);
        });

        $area.on('input blur keyup', sync);
        $textarea.closest('form').on('submit.siteEditor', sync);
        $box.append($bar, $area).insertBefore($textarea);
        $textarea.hide().appendTo($box).data('siteEditor', { box: $box, area: $area });
    }

    function detach(textarea) {
        var $textarea = $(textarea);
        var editor = $textarea.data('siteEditor');
        if (!editor) {
            return;
        }
        if (editor.area.is(':visible')) {
            $textarea.val(editor.area.html());
        }
        $textarea.closest('form').off('submit.siteEditor');
        $textarea.insertAfter(editor.box).show().removeData('siteEditor');
        editor.box.remove();
    }

    $.fn.xheditor = function (enable, options) {
        if (enable === false) {
            return this.each(function () { detach(this); });
        }
        options = $.extend({ tools: 'full', upImgUrl: '', upImgExt: 'jpg,jpeg,gif,png' }, options || {});
        if (this.length) {
            addStyle();
        }
        return this.each(function () {
            if (this.nodeName === 'TEXTAREA' && !$(this).data('siteEditor')) {
                attach(this, options);
            }
        });
    };
})(window.jQuery);
