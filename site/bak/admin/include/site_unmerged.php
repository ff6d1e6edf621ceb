<?php
/*
 * Files the last generation could not bring up to date with the model.
 *
 * When a controller or page that the user edited is changed by a new
 * generation on the same lines, the run leaves it as it is, writes the merge
 * with its conflict markers beside it (FILE.new) and lists it in
 * .quorrel/unmerged.json. A listed file would run with member names the
 * model no longer has, so the site refuses it (status 503) and names the
 * file to merge; the rest of the site keeps working. The next generation
 * after the merge (or one with --overwrite-edited) clears the list.
 */

if (!defined('IN_WEB')) {
    exit('Access Denied');
}

/* The listed files, path in the site => the file holding the merge to make. */
function site_unmerged_files()
{
    static $files = null;
    if ($files === null) {
        $files = array();
        $record = WEB_ROOT . '.quorrel/unmerged.json';
        if (is_file($record)) {
            $data = json_decode((string)file_get_contents($record), true);
            if (!is_array($data) || !isset($data['unmerged']) || !is_array($data['unmerged'])) {
                // A record that cannot be read cannot say that a file is safe.
                error_log('site: ' . $record . ' cannot be read');
                showmsg('网站的生成记录 .quorrel/unmerged.json 已损坏，无法确认页面与模型一致；请重新生成网站。', '', 503);
            }
            foreach ($data['unmerged'] as $path => $merge) {
                $files[(string)$path] = (string)$merge;
            }
        }
    }
    return $files;
}

/* Refuses the request when the file (a path in the site) is listed. */
function site_refuse_unmerged($path)
{
    $files = site_unmerged_files();
    if (isset($files[$path])) {
        showmsg('本页暂停使用：文件 ' . $path . ' 被修改过，上次生成时模型的修改与它的修改在同样的几行上，没能合并。'
            . '请把 ' . $files[$path] . ' 中带冲突标记的合并结果整理到 ' . $path . '，再生成一次网站'
            . '（或用 --overwrite-edited 生成，以生成的内容替换它）。', '', 503);
    }
}
