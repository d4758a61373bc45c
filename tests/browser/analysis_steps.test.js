// A new analysis in a real browser, in English and in Polish: the demonstration logon opens the
// demonstration survey on the open-report page (the survey has a saved report), whose New leads
// to the template page; the cross-tabulation template asks for a target
// group (a numeric range of ages through the range dialog), the questions of its columns and
// rows and the statistics, and its last step hands the analysis to the report window.
// Usage: node analysis_steps.test.js SERVER_EXECUTABLE FILES_FOLDER SCREENSHOT_FOLDER
'use strict';
const fs = require('fs');
const path = require('path');
const { check, expect, run } = require('./harness');

const [serverExe, filesFolder, shots] = process.argv.slice(2);

const LANGS = [
  {
    code: 'en', subtitle: 'Select analysis type', status: 'Survey: Media usage habits in Poland 2024',
    reports: 'Open report', report: 'News by age.zor', newAnalysis: 'New',
    templates: ['Frequencies', 'Cross-tabs', 'Cross-tabs + means'], template: 'Cross-tabs',
    demographics: 'Demographics', age: 'Age (years)', sex: 'Sex', ageGroup: 'Age group',
    add: 'Add >>', next: 'Next', finish: 'Finish', back: 'Back',
    ranges: '18:24, 65 : max', rangeTitle: 'Select numeric values range',
    notation: 'Notation example: : 1, 3.5, 5 : 7, 9 :', allCases: 'All cases selected.',
    conjunction: null,
  },
  {
    code: 'pl', subtitle: 'Wybierz typ analizy', status: 'Badanie: Zwyczaje medialne Polaków 2024',
    reports: 'Otwórz raport', report: 'News by age.zor', newAnalysis: 'Nowa',
    templates: ['Tabele jednowymiarowe', 'Tabele dwuwymiarowe', 'Tabela rozkładów + średnich'],
    template: 'Tabele dwuwymiarowe',
    demographics: 'Metryczka', age: 'Wiek (w latach)', sex: 'Płeć', ageGroup: 'Wiek (grupy)',
    add: 'Dodaj >>', next: 'Dalej', finish: 'Zakończ', back: 'Powrót',
    ranges: '18:24; 65 : max', rangeTitle: 'Wybór zakresu wartości numerycznych',
    notation: 'Przykład zapisu: : 1; 3,5; 5 : 7; 9 :', allCases: 'Wybrana cała próba.',
  },
];

run(serverExe, filesFolder, async (browser, base) => {
  fs.mkdirSync(shots, { recursive: true });
  for (const t of LANGS) {
    const page = await browser.newPage();
    page.setDefaultTimeout(90000);
    const alerts = [];
    page.on('dialog', async (d) => { alerts.push(d.message()); await d.accept(); });
    const submit = async (action) => {
      await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), action()]);
    };
    const body = () => page.evaluate(() => document.body.innerText);
    const shot = (name) => page.screenshot({ path: path.join(shots, `analysis_${t.code}_${name}.png`),
      fullPage: true });
    const button = (caption) => page.locator(`input.button[value="${caption}"]`);
    const available = () => page.locator('div.tree').first();
    const chosen = () => page.locator('div.tree').nth(1);
    // Opens the folder of the available tree, then clicks the question in it.
    const pickQuestion = async (folder, question) => {
      const closed = available().getByText('+ ' + folder, { exact: true });
      if (await closed.count()) await submit(() => closed.click());
      await submit(() => available().getByText(question, { exact: true }).click());
    };
    const brokenImages = () => page.evaluate(() => [...document.images]
      .filter((i) => !i.complete || i.naturalWidth === 0).map((i) => i.src));

    await check(`${t.code}: the demonstration logon opens the survey on the open-report page`, async () => {
      await page.goto(base + '?lang=' + t.code, { waitUntil: 'load' });
      await submit(() => button('Demo').click());
      const text = await body();
      expect(text.includes(t.reports), text);
      expect(text.includes(t.status), text);
      const options = await page.locator('select option').allInnerTexts();
      expect(options.includes(t.report), 'the saved report: ' + JSON.stringify(options));
      await shot('0_reports');
    });

    await check(`${t.code}: New shows the survey's analysis templates`, async () => {
      await submit(() => button(t.newAnalysis).click());
      const text = await body();
      expect(text.includes(t.subtitle), text);
      expect(text.includes(t.status), text);
      for (const name of t.templates) expect(text.includes(name), 'template ' + name + ': ' + text);
      const icons = page.locator('img[title]');
      expect(await icons.count() === 3, 'three icons');
      const broken = await brokenImages();
      expect(broken.length === 0, 'images missing: ' + broken);
      expect(alerts.length === 0, 'alerts: ' + JSON.stringify(alerts));
      await shot('1_templates');
    });

    await check(`${t.code}: the cross-tabulation template asks for a target group first`, async () => {
      const index = t.templates.indexOf(t.template);
      await submit(() => page.locator('img[title]').nth(index).click());
      const text = await body();
      expect(text.includes(t.template + ': '), text);
      expect(text.includes(t.allCases), text);
      expect(await button(t.back).isDisabled(), 'Back is disabled on the first step');
    });

    await check(`${t.code}: a numeric range of ages makes the target group`, async () => {
      await pickQuestion(t.demographics, t.age);
      expect(await page.locator('select.responselist option').count() === 1, 'the age response');
      await submit(() => button(t.add).click());
      let text = await body();
      expect(text.includes(t.rangeTitle), text);
      expect(text.includes(t.notation), text);
      expect(await page.locator('input.rangeedit[readonly]').inputValue() === '15 : 99',
        'the codes of the definition');
      await shot('2_range');
      await page.locator('input.rangeedit:not([readonly])').fill(t.ranges);
      await submit(() => button('OK').click());
      text = await body();
      expect(alerts.length === 0, 'alerts: ' + JSON.stringify(alerts));
      const group = await chosen().innerText();
      expect(group.includes(t.age), group);
      expect(/18 : 24/.test(group) && />= 65/.test(group), group);
      expect(!text.includes(t.allCases), text);
      await shot('3_group');
      await submit(() => button(t.next).click());
    });

    await check(`${t.code}: questions for the columns and the rows`, async () => {
      await pickQuestion(t.demographics, t.sex);
      await submit(() => button(t.add).click());
      expect((await chosen().innerText()).includes(t.sex), 'sex chosen');
      await submit(() => button(t.next).click());
      await pickQuestion(t.demographics, t.ageGroup);
      await submit(() => button(t.add).click());
      expect((await chosen().innerText()).includes(t.ageGroup), 'age group chosen');
      await shot('4_rows');
      await submit(() => button(t.next).click());
      expect(await button(t.finish).count() === 1, 'the statistics step is the last');
      expect(await page.locator('select.panelist').nth(1).locator('option').count() > 0,
        'the template\'s statistics');
      await shot('5_statistics');
    });

    await check(`${t.code}: the last step hands the analysis to the report window`, async () => {
      alerts.length = 0;
      await submit(() => button(t.finish).click());
      await page.waitForTimeout(200);
      // Without a report window in this server the step stays and says so; with one, the
      // report window replaces the step.
      const stepped = await button(t.finish).count() === 0;
      const told = alerts.some((a) => a.includes('report window'));
      expect(stepped !== told, 'alerts: ' + JSON.stringify(alerts));
      await shot('6_finish');
    });
    await page.close();
  }
});
