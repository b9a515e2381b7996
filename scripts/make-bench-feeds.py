#!/usr/bin/env python3
"""Writes the benchmark's feeds into a directory (default: bench-feeds).

Every feed is made from a fixed seed, so two runs write the same bytes.

  typical.xml          a realistic feed that fills the feed text: about 240
                       items with escaped markup, linked pictures with
                       alternative text, and plain text; some non-ASCII
                       text; UTF-8
  small.xml            five items of the same kind, where the fixed cost of
                       a call shows
  worst-open-dates.xml the typical feed's items with every date element left
                       open: one "</pubDate>" at the very end of the text
                       closes them all, so each date search runs to the end
  worst-near-misses.xml descriptions dense with near-misses of "&lt",
                       "alt=" and "style=" (and of the closing tags)
  worst-angles.xml     nothing but "<"
  long-50mb.xml        a realistic feed of 50 MB: the typical feed's items,
                       converted window by window
  worst-window-edges.xml  20 MB in which every window of the feed text
                       starts with an "<item>" and holds another one six
                       characters before its end, so each window is
                       converted nearly whole and its end read again

  windows-1251.xml     the typical feed's shape in Russian, in windows-1251
                       as its declaration says
  windows-1251-as-utf8.xml  the same bytes without the declaration: read as
                       UTF-8, every Cyrillic byte is ill-formed
  shift_jis.xml        the same shape in Japanese, in Shift_JIS, its words
                       run together as Japanese is written
  gb18030.xml          the same shape in Chinese, in gb18030, likewise
  shift_jis-as-ascii.xml, gb18030-as-ascii.xml  those two feeds with every
                       character beyond ASCII written as ASCII letters, as
                       many: the same items and records with nothing to
                       decode, so the time that decoding adds can be told
                       apart from the feed's shape
  shift_jis-run.xml    the Japanese words in one unbroken run after the
                       declaration, no markup: against its ASCII twin
                       (shift_jis-run-as-ascii.xml), what a two-byte
                       character costs where no run ends
  russian.xml, arabic.xml, japanese.xml, chinese.xml  the same shape in
                       UTF-8, each language as it is written (Japanese and
                       Chinese words run together, with ASCII numbers and
                       names between them)
  emoji.xml            the typical feed's English with an emoji among every
                       few words, in UTF-8

Each legacy-encoding feed's sentences are as long, in characters, as the
typical feed's, so it holds about as many items (records) as the typical
feed does, and its time against the typical feed's is the cost of decoding.

The worst cases and the legacy-encoding feeds hold exactly 127999
characters, the capacity of the feed text; the typical feed holds a little
less, so all of it is converted.
"""

import argparse
import os
import random
import re

CAPACITY = 127999
TYPICAL_TARGET = 127000
SEED = 20261208

WORDS = (
    "harbour council ferry storm lighthouse market bakery school library "
    "festival bridge river tide weather road museum garden concert choir "
    "station train bus cycle lane residents plans spring winter summer "
    "autumn week evening morning tickets office open closed repairs "
    "volunteers lifeboat coast hills town hall pier quay street square "
    "prize judges visitors season record crowd local news report update "
    "mayor budget vote meeting proposal funding works delay timetable"
).split()
# Non-ASCII words, from two- and three-byte UTF-8 and one four-byte
# character (a surrogate pair once decoded).
ACCENTED = [
    "café", "Müller", "naïve", "São Paulo", "Zürich", "crème brûlée",
    "Ελλάδα", "Αθήνα", "日本語", "東京", "€4,200", "—", "“quoted”",
    "Dvořák", "Kraków", "façade", "smörgåsbord", "🚤",
]
# How the words of the running language join: the legacy-encoding feeds
# change these (see legacy_feed).
SEPARATOR = " "
FULL_STOP = "."
WORD_SCALE = 1.0
MONTHS = "Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec".split()
DAYS = "Mon Tue Wed Thu Fri Sat Sun".split()


def characters(text):
    """Length in 16-bit characters, as the conversion counts them."""
    return len(text.encode("utf-16-le")) // 2


def words(rng, count, accent_rate=0.08):
    out = []
    for _ in range(max(1, round(count * WORD_SCALE))):
        if rng.random() < accent_rate:
            out.append(rng.choice(ACCENTED))
        else:
            out.append(rng.choice(WORDS))
    return SEPARATOR.join(out)


def sentence(rng, low=5, high=11):
    text = words(rng, rng.randint(low, high))
    return text[0].upper() + text[1:] + FULL_STOP


def sentences(rng, count):
    return " ".join(sentence(rng) for _ in range(count))


def date(rng, index):
    day = 1 + index % 28
    return "%s, %02d %s 2026 %02d:%02d:00 GMT" % (
        rng.choice(DAYS), day, rng.choice(MONTHS), rng.randint(0, 23), rng.randint(0, 59))


def escaped_description(rng, slug):
    return "%s &lt;p&gt;%s &lt;a href=&quot;https://news.example.org/%s&quot;&gt;Read more&lt;/a&gt;&lt;/p&gt;" % (
        sentence(rng), sentence(rng), slug)


def picture_description(rng, slug, alt):
    return (
        '<![CDATA[<p><a href="https://news.example.org/%s">'
        '<img src="https://news.example.org/img/%s.jpg" alt="%s" '
        'style="float:left;margin:0 8px 8px 0" width="120" height="90" /></a>%s</p>]]>'
        % (slug, slug, alt, sentence(rng)))


def plain_description(rng):
    return sentences(rng, rng.randint(1, 4))


def typical_item(rng, index):
    title = sentence(rng, 4, 9)[:-1]
    if rng.random() < 0.03:
        title = "<![CDATA[%s]]>" % title  # dropped by the record filter
    slug = "2026/%s-%d" % (rng.choice(WORDS), index)
    shape = rng.random()
    if shape < 0.35:
        description = escaped_description(rng, slug)
    elif shape < 0.65:
        alt = "" if rng.random() < 0.2 else words(rng, rng.randint(3, 7))
        description = picture_description(rng, slug, alt)
    else:
        description = plain_description(rng)
    link = "https://news.example.org/%s" % slug
    return (
        "  <item>\n"
        "    <title>%s</title>\n"
        "    <description>%s</description>\n"
        "    <link>%s</link>\n"
        '    <guid isPermaLink="true">%s</guid>\n'
        "    <category>%s</category>\n"
        "    <pubDate>%s</pubDate>\n"
        "  </item>\n" % (title, description, link, link, rng.choice(WORDS), date(rng, index)))


def channel_head(title):
    return (
        '<?xml version="1.0" encoding="UTF-8"?>\n'
        '<rss version="2.0">\n'
        "  <channel>\n"
        "    <title>%s</title>\n"
        "    <link>https://news.example.org/</link>\n"
        "    <description>News from the harbour, the hills and the town hall.</description>\n"
        "    <language>en-gb</language>\n" % title)


CHANNEL_TAIL = "  </channel>\n</rss>\n"


def items_feed(rng, make_item, limit, max_items=None):
    """A channel with as many items as fit within limit characters."""
    text = channel_head("Harbour Town Gazette")
    used = characters(text) + characters(CHANNEL_TAIL)
    index = 0
    while max_items is None or index < max_items:
        item = make_item(rng, index)
        if used + characters(item) > limit:
            break
        text += item
        used += characters(item)
        index += 1
    return text + CHANNEL_TAIL


def pad_to_capacity(text, tail):
    """Fills with spaces before tail so the whole holds CAPACITY characters."""
    room = CAPACITY - characters(text) - characters(tail)
    assert room >= 0
    return text + " " * room + tail


def open_dates_feed(rng):
    """The typical feed's items with every date left open: one "</pubDate>",
    at the very end, closes them all, so each date search runs to the end."""
    tail = "</pubDate>\n" + CHANNEL_TAIL

    def item(rng, index):
        return typical_item(rng, index).replace("</pubDate>", "")

    text = items_feed(rng, item, CAPACITY - characters(tail) + characters(CHANNEL_TAIL))
    text = text[: -len(CHANNEL_TAIL)]
    return pad_to_capacity(text, tail)


# Pieces that each come close to a literal the scan or the summary looks
# for, without ever forming one, however they are joined.
NEAR_MISSES = [
    "&l", "&L", "&lT", "& lt", "&amp;", "&gt;", "&quot;", "al=", "alt ", "alt:",
    "ALT=", "alt-", "a lt=", "styl=", "style ", "style:", "Style=", "stylE=",
    "</descriptio ", "</pubDat ", "</lin ", "<ite ", "<titl ", "</a ", "</p ",
]


def near_miss_text(rng, length):
    out = []
    used = 0
    while used < length:
        piece = rng.choice(NEAR_MISSES)
        out.append(piece)
        used += len(piece)
    return "".join(out)


def near_misses_feed(rng):
    def item(rng, index):
        body = near_miss_text(rng, 900)
        # Half the descriptions open a picture at once and close it only at
        # the end ("style=" far away); the rest name it only at the end
        # ("alt=" far away). Either way every summary search crosses them.
        if index % 2 == 0:
            description = 'Story alt="' + body + '" style="x"'
        else:
            description = "Story " + body + ' alt="x" style="y"'
        for literal in ("&lt", "</description>", "</pubDate>", "<item>"):
            assert literal not in description, literal
        assert description.count("alt=") == 1 and description.count("style=") == 1
        return (
            "<item><title>Story %d</title><description>%s</description>"
            "<link>https://news.example.org/%d</link><pubDate>%s</pubDate></item>\n"
            % (index, description, index, date(rng, index)))

    text = items_feed(rng, item, CAPACITY)
    return pad_to_capacity(text[: -len(CHANNEL_TAIL)], CHANNEL_TAIL)


# Words of the legacy-encoding feeds: (label, codec, plain words, others,
# separator, full stop). Japanese and Chinese run their words together.
LANGUAGES = {
    "windows-1251": ("windows-1251", "cp1251", (
        "гавань совет паром шторм маяк рынок пекарня школа библиотека праздник "
        "мост река прилив погода дорога музей сад концерт хор вокзал поезд "
        "автобус жители планы весна зима лето осень неделя вечер утро билеты "
        "офис открыт закрыт ремонт волонтёры берег холмы город ратуша улица "
        "площадь приз судьи гости сезон рекорд толпа новости отчёт мэр бюджет"
    ).split(), ["«Известия»", "№ 5", "—", "ещё", "Ёлка", "€4 200"], " ", "."),
    "shift_jis": ("Shift_JIS", "shift_jis", (
        "港 議会 フェリー 嵐 灯台 市場 パン屋 学校 図書館 祭り 橋 川 潮 天気 "
        "道路 博物館 庭園 演奏会 合唱 駅 電車 バス 自転車 住民 計画 春 冬 夏 "
        "秋 週 夕方 朝 切符 事務所 開館 閉館 修理 ボランティア 海岸 丘 町 "
        "市役所 通り 広場 賞 審査員 観光客 季節 記録 群衆 ニュース 報告 市長"
    ).split(), ["「引用」", "ｶﾀｶﾅ", "東京都", "日本語"], "", "。"),
    "gb18030": ("gb18030", "gb18030", (
        "港口 议会 渡轮 风暴 灯塔 市场 面包店 学校 图书馆 节日 桥 河 潮水 "
        "天气 道路 博物馆 花园 音乐会 合唱团 车站 火车 公共汽车 自行车 居民 "
        "计划 春天 冬天 夏天 秋天 星期 晚上 早上 门票 办公室 开放 关闭 维修 "
        "志愿者 海岸 山丘 小镇 市政厅 街道 广场 奖品 评委 游客 季节 记录 新闻"
    ).split(), ["“引用”", "𠀀", "€4,200", "ǹ"], "", "。"),
}


# The same shape in UTF-8, each language as it is written: Russian and
# Arabic with spaces between words, Japanese and Chinese run together, and
# English with an emoji among every few words.
LANGUAGES["russian"] = ("UTF-8", "utf-8") + LANGUAGES["windows-1251"][2:]
LANGUAGES["arabic"] = ("UTF-8", "utf-8", (
    "ميناء مجلس عبارة عاصفة منارة سوق مخبز مدرسة مكتبة مهرجان جسر نهر مد طقس "
    "طريق متحف حديقة حفل جوقة محطة قطار حافلة دراجة سكان خطط ربيع شتاء صيف "
    "خريف أسبوع مساء صباح تذاكر مكتب مفتوح مغلق إصلاحات متطوعون ساحل تلال "
    "بلدة شارع ساحة جائزة حكام زوار موسم رقم حشد أخبار تقرير عمدة ميزانية"
).split(), ["«اقتباس»", "٤٬٢٠٠", "—", "القاهرة"], " ", ".")
LANGUAGES["japanese"] = ("UTF-8", "utf-8") + LANGUAGES["shift_jis"][2:]
LANGUAGES["chinese"] = ("UTF-8", "utf-8") + LANGUAGES["gb18030"][2:]
LANGUAGES["emoji"] = ("UTF-8", "utf-8", WORDS + [
    "🚤", "🌧️", "🎉", "👍", "😀", "🏛️", "🚆", "⚓", "🌊", "📰"] * 3,
    ["🚤", "😀"], " ", ".")


def mean_length(words_of):
    return sum(characters(word) for word in words_of) / len(words_of)


def legacy_feed(language):
    """The typical feed's items in another language, filled to capacity.

    A sentence draws as many more words as makes it as long, in characters,
    as the typical feed's sentences, so the feed holds about as many items
    as the typical feed: time against the typical feed is then the cost of
    the decoding, not of more records.
    """
    global WORDS, ACCENTED, SEPARATOR, FULL_STOP, WORD_SCALE
    label, _, words_of, others, separator, full_stop = LANGUAGES[language]
    saved = WORDS, ACCENTED, SEPARATOR, FULL_STOP, WORD_SCALE
    WORD_SCALE = (mean_length(WORDS) + 1) / (mean_length(words_of) + len(separator))
    WORDS, ACCENTED, SEPARATOR, FULL_STOP = words_of, others, separator, full_stop
    try:
        text = items_feed(random.Random(SEED), typical_item, CAPACITY)
    finally:
        WORDS, ACCENTED, SEPARATOR, FULL_STOP, WORD_SCALE = saved
    text = text.replace('encoding="UTF-8"', 'encoding="%s"' % label, 1)
    return pad_to_capacity(text[: -len(CHANNEL_TAIL)], CHANNEL_TAIL)



def unbroken_run(language):
    """The language's words run together after its declaration, filled to
    capacity: no item, no markup, not one run's end."""
    label, _, words_of, *_ = LANGUAGES[language]
    text = '<?xml version="1.0" encoding="%s"?>\n' % label
    rng = random.Random(SEED)
    while characters(text) < CAPACITY:
        text += rng.choice(words_of)
    return text[:CAPACITY]


def as_ascii(text):
    """text with each 16-bit character beyond ASCII made an "x", declared UTF-8."""
    text = re.sub(r'encoding="[^"]*"', 'encoding="UTF-8"', text, count=1)
    return "".join(c if ord(c) < 0x80 else "x" * characters(c) for c in text)


LONG_BYTES = 50 * 1000 * 1000


def long_feed(rng):
    """The typical feed's items, as many as 50 MB holds."""
    parts = [channel_head("Harbour Town Gazette")]
    size = len(parts[0].encode("utf-8"))
    index = 0
    while size < LONG_BYTES:
        item = typical_item(rng, index)
        parts.append(item)
        size += len(item.encode("utf-8"))
        index += 1
    parts.append(CHANNEL_TAIL)
    return "".join(parts)


def window_edges_feed(size=20 * 1000 * 1000):
    """Each window starts at an "<item>" and ends with another one, whole,
    in its last six characters: the window is converted up to it and read
    again from there."""
    block = "<item>" + "x" * (CAPACITY - 12)
    return block * (size // len(block)) + "<item>"


def write(directory, name, text, codec="utf-8", long=False):
    assert long or characters(text) <= CAPACITY, name
    with open(os.path.join(directory, name), "wb") as out:
        out.write(text.encode(codec))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("directory", nargs="?", default="bench-feeds")
    args = parser.parse_args()
    os.makedirs(args.directory, exist_ok=True)
    write(args.directory, "typical.xml", items_feed(random.Random(SEED), typical_item, TYPICAL_TARGET))
    write(args.directory, "small.xml", items_feed(random.Random(SEED), typical_item, CAPACITY, 5))
    write(args.directory, "worst-open-dates.xml", open_dates_feed(random.Random(SEED)))
    write(args.directory, "worst-near-misses.xml", near_misses_feed(random.Random(SEED)))
    write(args.directory, "worst-angles.xml", "<" * CAPACITY)
    texts = {}
    for language, (label, codec, *_) in LANGUAGES.items():
        texts[language] = legacy_feed(language)
        write(args.directory, language + ".xml", texts[language], codec)
    for language in ("shift_jis", "gb18030"):
        write(args.directory, language + "-as-ascii.xml", as_ascii(texts[language]))
    run = unbroken_run("shift_jis")
    write(args.directory, "shift_jis-run.xml", run, "shift_jis")
    write(args.directory, "shift_jis-run-as-ascii.xml", as_ascii(run))
    cyrillic = texts["windows-1251"].replace(
        '<?xml version="1.0" encoding="windows-1251"?>\n', "", 1)
    write(args.directory, "windows-1251-as-utf8.xml", cyrillic, "cp1251")
    write(args.directory, "long-50mb.xml", long_feed(random.Random(SEED)), long=True)
    write(args.directory, "worst-window-edges.xml", window_edges_feed(), long=True)


if __name__ == "__main__":
    main()
