"""Reads a dashboard page (as written, or as a browser's DOM dump) with
Python's HTML parser and prints what the tests compare, one fact a line:

  sections=<the ids of the sections, in order>
  svg=<number of svg elements> script=<number of script elements>
  ran=<yes when the page's script marked the html element, else no>
  unexpected=<elements, attributes or links the page does not write, or none>
  external=<number of http: or https: in the source>

Usage: python3 dashboard_check.py PAGE
"""
import html.parser
import sys

TAGS = {
    'html', 'head', 'meta', 'title', 'style', 'body', 'header', 'h1', 'span', 'nav', 'a',
    'main', 'section', 'h2', 'div', 'b', 'dl', 'dt', 'dd', 'code', 'p', 'svg', 'g', 'rect',
    'line', 'text', 'path', 'table', 'thead', 'tbody', 'tr', 'th', 'td', 'details', 'summary',
    'pre', 'footer', 'script',
}
ATTRIBUTES = {
    'lang', 'class', 'charset', 'name', 'content', 'http-equiv', 'href', 'id', 'viewbox', 'role',
    'aria-label', 'x', 'y', 'width', 'height', 'x1', 'y1', 'x2', 'y2', 'd', 'text-anchor',
    'preserveaspectratio', 'data-v', 'title', 'tabindex', 'aria-sort',
}


class Page(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.sections, self.unexpected = [], []
        self.counts = {'svg': 0, 'script': 0}
        self.ran = False

    def handle_starttag(self, tag, attrs):
        if tag not in TAGS:
            self.unexpected.append('<%s>' % tag)
        if tag in self.counts:
            self.counts[tag] += 1
        for name, value in attrs:
            self.check_attribute(tag, name, value or '')
        values = dict(attrs)
        if tag == 'section':
            self.sections.append(values.get('id', '?'))
        if tag == 'html' and 'js' in (values.get('class') or '').split():
            self.ran = True

    handle_startendtag = handle_starttag

    def check_attribute(self, tag, name, value):
        if name not in ATTRIBUTES:
            self.unexpected.append('%s@%s' % (tag, name))
        elif name == 'href' and not value.startswith('#'):
            self.unexpected.append('href=%s' % value)
        elif name == 'http-equiv' and value != 'Content-Security-Policy':
            self.unexpected.append('http-equiv=%s' % value)


def main():
    source = open(sys.argv[1], encoding='utf-8', errors='strict').read()
    page = Page()
    page.feed(source)
    page.close()
    print('sections=' + ','.join(page.sections))
    print('svg=%d script=%d' % (page.counts['svg'], page.counts['script']))
    print('ran=' + ('yes' if page.ran else 'no'))
    print('unexpected=' + (' '.join(sorted(set(page.unexpected))) or 'none'))
    print('external=%d' % (source.count('http:') + source.count('https:')))


main()
